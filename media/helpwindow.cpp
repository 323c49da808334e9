#include "helpwindow.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char16_t kRulesHtml[] = uR"(
<h2>Таллори! — правила игры</h2>

<h3>Цель игры</h3>
<p>Ответить подряд на пятнадцать вопросов урока и получить за экзамен оценку «Отлично».
На каждый вопрос даётся четыре ответа — A, B, C и D, — и верен из них ровно один.</p>

<h3>Лестница вопросов</h3>
<p>Каждый верный ответ поднимает вас на одну ступень лестницы:</p>
<table border="1" cellspacing="0" cellpadding="3">
<tr><th>Вопрос</th><th>Очки</th><th>Вопрос</th><th>Очки</th></tr>
<tr><td>1</td><td>100</td><td>9</td><td>16 000</td></tr>
<tr><td>2</td><td>200</td><td>10</td><td><b>32 000</b></td></tr>
<tr><td>3</td><td>300</td><td>11</td><td>64 000</td></tr>
<tr><td>4</td><td>500</td><td>12</td><td>125 000</td></tr>
<tr><td>5</td><td><b>1 000</b></td><td>13</td><td>250 000</td></tr>
<tr><td>6</td><td>2 000</td><td>14</td><td>500 000</td></tr>
<tr><td>7</td><td>4 000</td><td>15</td><td><b>1 000 000</b></td></tr>
<tr><td>8</td><td>8 000</td><td></td><td></td></tr>
</table>

<h3>Оценки</h3>
<ul>
<li>Меньше пяти верных ответов — «Неудовлетворительно».</li>
<li>Пятая ступень (1 000 очков) закрепляет оценку 3 — «Удовлетворительно».</li>
<li>Десятая ступень (32 000 очков) закрепляет оценку 4 — «Хорошо».</li>
<li>Пятнадцатая ступень (1 000 000 очков) — оценка 5, «Отлично».</li>
</ul>
<p>Неверный ответ заканчивает игру, и вы получаете оценку, которой уже достигли.
После первого верного ответа можно остановиться: клавиша <b>F6</b>
(«Стоп, хватит и этого!») заканчивает игру с достигнутой оценкой.</p>
<p>Каждый ученик сдаёт каждый урок только один раз.</p>

<h3>Подсказки</h3>
<p>Каждой подсказкой можно воспользоваться один раз за игру.</p>
<ul>
<li><b>«50 х 50»</b> (<b>F5</b>) — убирает два неверных ответа.</li>
<li><b>«Помощь аудитории»</b> (<b>F3</b>) — показывает, как ответили
на вопрос пятьдесят зрителей в зале.</li>
<li><b>«Звонок другу»</b> (<b>F4</b>) — наберите на клавиатуре телефона семизначный
номер друга и послушайте его подсказку.</li>
</ul>

<h3>Клавиши</h3>
<table cellpadding="2">
<tr><td><b>F2</b></td><td>новая игра</td></tr>
<tr><td><b>1</b>, <b>2</b>, <b>3</b>, <b>4</b></td><td>ответ A, B, C, D</td></tr>
<tr><td><b>F3</b></td><td>«Помощь аудитории»</td></tr>
<tr><td><b>F4</b></td><td>«Звонок другу»</td></tr>
<tr><td><b>F5</b></td><td>«50 х 50»</td></tr>
<tr><td><b>F6</b></td><td>«Стоп, хватит и этого!»</td></tr>
<tr><td><b>F1</b></td><td>эти правила</td></tr>
<tr><td><b>Alt+X</b></td><td>выход из программы</td></tr>
</table>

<h3>Разное</h3>
<p>Звук включается и выключается в меню «Настройка».
Надпись «Свернуть!» в строке состояния сворачивает окно программы.
Если пять минут ничего не происходит, программа закрывается сама.</p>
)";

} // namespace

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Таллори! — правила игры"));
    m_browser = new QTextBrowser(this);
    m_browser->setHtml(QStringView(kRulesHtml).toString());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(560, 620);
}

QString HelpWindow::rulesText() const
{
    return m_browser->toPlainText();
}
