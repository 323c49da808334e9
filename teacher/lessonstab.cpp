#include "lessonstab.h"

#include "lessonsmodel.h"
#include "prompts.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kBankFilter = QStringLiteral("Вопросники (*.faq);;Все файлы (*)");

} // namespace

LessonsTab::LessonsTab(const QString &folder, TeacherPrompts *prompts, QWidget *parent)
    : QWidget(parent), m_prompts(prompts), m_model(new LessonsModel(folder, this))
{
    m_table = new QTableView(this);
    m_table->setAccessibleName(QStringLiteral("Занятия"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(LessonsModel::Code, 180);
    m_table->setColumnWidth(LessonsModel::Bank, 320);

    auto *buttons = new QHBoxLayout;
    const auto button = [&](const QString &text, const char *name, auto slot) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, slot);
    };
    button(QStringLiteral("Добавить…"), "addLesson", [this] { addLesson(); });
    button(QStringLiteral("Переименовать…"), "renameLesson", [this] { renameLesson(); });
    button(QStringLiteral("Вопросник…"), "chooseBank", [this] { chooseBank(); });
    button(QStringLiteral("Удалить"), "removeLesson", [this] { removeLesson(); });
    auto *reload = new QPushButton(QStringLiteral("Перечитать"), this);
    connect(reload, &QPushButton::clicked, m_model, &LessonsModel::reload);
    buttons->addWidget(reload);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("Занятия файла настроек %1. Код занятия ученик вводит в начале игры; "
                                            "путь к вопроснику проверяется так, как его ищет игра. Коды с одним "
                                            "файлом вопросника (ДЕМО и DEMO) — одно занятие: сдавший его под одним "
                                            "кодом не сдаст его и под другим.")
                                 .arg(QDir::toNativeSeparators(m_model->settingsPath())), this);
    intro->setObjectName(QStringLiteral("lessonsIntro"));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addWidget(buildEncodingWarning());
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    connect(m_model, &LessonsModel::refused, this, &LessonsTab::report);
    connect(m_model, &QAbstractItemModel::modelReset, this, &LessonsTab::showEncoding);
    showEncoding();
}

// A settings file saved by an editor in UTF-8: the game reads it as Windows-1251 and finds no
// lesson with a Russian name, which a teacher cannot tell from the game's message alone.
QWidget *LessonsTab::buildEncodingWarning()
{
    m_encoding = new QWidget(this);
    m_encoding->setObjectName(QStringLiteral("encodingWarning"));
    auto *text = new QLabel(QStringLiteral("Файл настроек сохранён в кодировке UTF-8, а игра читает его в Windows-1251: "
                                           "занятия с русскими названиями она в нём не найдёт."),
                            m_encoding);
    text->setWordWrap(true);
    text->setStyleSheet(QStringLiteral("color: #8a4b00;"));
    auto *convert = new QPushButton(QStringLiteral("Перевести в Windows-1251"), m_encoding);
    convert->setObjectName(QStringLiteral("convertSettings"));
    connect(convert, &QPushButton::clicked, this, &LessonsTab::convertSettings);
    auto *row = new QHBoxLayout(m_encoding);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(text, 1);
    row->addWidget(convert);
    return m_encoding;
}

void LessonsTab::showEncoding()
{
    m_encoding->setVisible(m_model->settingsInUtf8());
}

void LessonsTab::convertSettings()
{
    report(m_model->convertSettings().error);
}

// Before a lesson is written into a UTF-8 settings file, the file becomes Windows-1251, with the
// teacher's consent: a Windows-1251 line among UTF-8 ones would spoil every Russian lesson code.
bool LessonsTab::readyToWrite()
{
    if (!m_model->settingsInUtf8())
        return true;
    if (!m_prompts->confirm(this, QStringLiteral("Занятия"),
                            QStringLiteral("Файл настроек сохранён в кодировке UTF-8, а игра читает его и мастерская "
                                           "записывает занятия в Windows-1251. Чтобы в одном файле не оказалось двух "
                                           "кодировок, его нужно сначала перевести в Windows-1251.\n\nПеревести "
                                           "файл сейчас?")))
        return false;
    const Status converted = m_model->convertSettings();
    report(converted.error);
    return converted.ok();
}

void LessonsTab::addLesson(const QString &suggested)
{
    if (!readyToWrite())
        return;
    const auto code = m_prompts->askText(this, QStringLiteral("Новое занятие"), QStringLiteral("Код занятия:"), {});
    if (!code)
        return;
    const QString file = suggested.isEmpty() ? m_prompts->openFile(this, QStringLiteral("Вопросник занятия"), kBankFilter)
                                             : suggested;
    if (file.isEmpty())
        return;
    report(m_model->addLesson(*code, m_model->storedPath(file)).error);
}

void LessonsTab::renameLesson()
{
    const int row = currentRow();
    if (row < 0 || !readyToWrite())
        return;
    const QString old = m_model->code(row);
    const auto code = m_prompts->askText(this, QStringLiteral("Переименовать занятие"), QStringLiteral("Новый код занятия:"), old);
    if (!code)
        return;
    const int records = m_model->recordsOf(row);
    if (records == 0)
        return report(m_model->renameLesson(row, *code).error);
    // The records stay under the old code: with that code gone, the guard no longer sees them
    // under the new one, and a game still going on under the old code records there too.
    const QString upper = code->trimmed().toUpper();
    const auto answer = m_prompts->choose(
        this, QStringLiteral("Переименовать занятие"),
        QStringLiteral("В файле результатов записей занятия «%1»: %2. Они останутся под кодом «%1».\n\n"
                       "Если переименовать, кода «%1» в файле настроек не станет, и ученики, уже сдавшие "
                       "занятие, смогут сдать его снова под кодом «%3»; игра, идущая сейчас под «%1», "
                       "запишет оценку под старым кодом.\n\n"
                       "Безопаснее добавить код «%3» к тому же вопроснику, а «%1» оставить: коды с одним "
                       "вопросником — одно занятие, и попытка под любым из них засчитывается для обоих.")
            .arg(old).arg(records).arg(upper),
        {QStringLiteral("Добавить код, старый оставить"), QStringLiteral("Переименовать")});
    if (!answer)
        return;
    report(*answer == 0 ? m_model->addCode(row, *code).error : m_model->renameLesson(row, *code).error);
}

void LessonsTab::removeLesson()
{
    const int row = currentRow();
    if (row < 0)
        return;
    if (m_prompts->confirm(this, QStringLiteral("Удалить занятие"),
                           QStringLiteral("Удалить занятие «%1» из файла настроек? Вопросник останется на месте.")
                               .arg(m_model->code(row))))
        report(m_model->removeLesson(row).error);
}

void LessonsTab::chooseBank()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const QString file = m_prompts->openFile(this, QStringLiteral("Вопросник занятия"), kBankFilter);
    if (!file.isEmpty())
        report(m_model->setBank(row, m_model->storedPath(file)).error);
}

int LessonsTab::currentRow() const
{
    const QModelIndex i = m_table->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void LessonsTab::report(const QString &error)
{
    if (!error.isEmpty())
        m_prompts->showError(this, QStringLiteral("Занятия"), error);
}
