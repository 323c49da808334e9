#include "errorbox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Runs answer on the first visible top-level dialog of type T once a modal loop shows it.
template <class T>
void answerWhenShown(std::function<void(T *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<T *>(w); box && box->isVisible()) {
                timer->stop();
                timer->deleteLater();
                answer(box);
                return;
            }
        }
    });
    timer->start();
}

QStringList buttonTexts(QWidget *dialog)
{
    QStringList texts;
    for (QAbstractButton *b : dialog->findChild<QDialogButtonBox *>()->buttons())
        texts << b->text();
    texts.sort();
    return texts;
}

void press(QWidget *widget, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &down);
}

} // namespace

TEST(ErrorBox, IsCriticalWithOkOnlyAndModalToTheWholeProgram)
{
    const auto box = QtDialogs::makeErrorBox(QStringLiteral("Нет файла вопросов"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Ошибка"));
    EXPECT_EQ(box->text(), QStringLiteral("Нет файла вопросов"));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_FALSE(box->isVisible());
}

TEST(ErrorBox, ShowErrorBringsBackTheNormalCursorAndWaitsForOk)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool cursorCleared = false;
    QString shownTitle, shownText;
    answerWhenShown<QMessageBox>([&](QMessageBox *box) {
        cursorCleared = QGuiApplication::overrideCursor() == nullptr;
        shownTitle = box->windowTitle();
        shownText = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    QtDialogs().showError(QStringLiteral("Файл испорчен"));
    EXPECT_TRUE(cursorCleared);
    EXPECT_EQ(shownTitle, QStringLiteral("Ошибка"));
    EXPECT_EQ(shownText, QStringLiteral("Файл испорчен"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(InputBox, HasCaptionPromptInitialTextOkAndCancel)
{
    const auto box = QtDialogs::makeInputBox(QStringLiteral("Ученик"), QStringLiteral("Фамилия:"),
                                             QStringLiteral("Иванов"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Ученик"));
    EXPECT_EQ(box->labelText(), QStringLiteral("Фамилия:"));
    EXPECT_EQ(box->textValue(), QStringLiteral("Иванов"));
    EXPECT_EQ(box->inputMode(), QInputDialog::TextInput);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    box->show(); // the buttons are laid out on first show
    EXPECT_EQ(buttonTexts(box.get()), (QStringList{QStringLiteral("OK"), QStringLiteral("Отмена")}));
}

TEST(InputBox, OkReturnsTheTypedText)
{
    QString value = QStringLiteral("Иванов");
    QString initial;
    answerWhenShown<QInputDialog>([&](QInputDialog *box) {
        initial = box->textValue();
        box->setTextValue(QStringLiteral("Петров"));
        box->accept();
    });
    EXPECT_TRUE(QtDialogs().inputText(QStringLiteral("Ученик"), QStringLiteral("Фамилия:"), value));
    EXPECT_EQ(initial, QStringLiteral("Иванов"));
    EXPECT_EQ(value, QStringLiteral("Петров"));
}

TEST(InputBox, CancelReturnsFalseAndKeepsTheValue)
{
    QString value = QStringLiteral("Иванов");
    answerWhenShown<QInputDialog>([&](QInputDialog *box) {
        box->setTextValue(QStringLiteral("Петров"));
        box->reject();
    });
    EXPECT_FALSE(QtDialogs().inputText(QStringLiteral("Ученик"), QStringLiteral("Фамилия:"), value));
    EXPECT_EQ(value, QStringLiteral("Иванов"));
}

// Leaving a game asks; a key pressed without reading (Enter, Escape) keeps the game, and only
// the leave button leaves.
TEST(LeaveBox, EnterAndEscapeStayAndOnlyTheLeaveButtonLeaves)
{
    const QString question = QStringLiteral("Прервать игру? Оценка не будет записана.");
    const std::vector<std::pair<const char *, std::function<void(QMessageBox *)>>> answers = {
        {"Enter", [](QMessageBox *box) { press(box, Qt::Key_Return); }},
        {"Escape", [](QMessageBox *box) { press(box, Qt::Key_Escape); }},
        {"leave", [](QMessageBox *box) {
             for (QAbstractButton *b : box->buttons()) {
                 if (b->text() == QStringLiteral("Прервать"))
                     b->click();
             }
         }},
    };
    for (const auto &[name, answer] : answers) {
        QString shown;
        answerWhenShown<QMessageBox>([&](QMessageBox *box) {
            shown = box->text();
            answer(box);
        });
        const bool left = QtDialogs().confirmLeave(question, QStringLiteral("Прервать"), QStringLiteral("Продолжить игру"));
        EXPECT_EQ(left, std::string(name) == "leave") << name;
        EXPECT_EQ(shown, question) << name;
    }
}
