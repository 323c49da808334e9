#include "teachertest_window.h"
#include "illustrationaddresses.h"
#include "teacherhelp.h"
#include "testutil.h"
#include "results.h"

#include <QImage>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QPushButton>
#include <QTableView>
#include <QTextBrowser>

using teachertest::fullBank;
using testutil::readBytes;

TEST_F(WindowTest, ShowsTheFiveTabsOfTheWorkbench)
{
    QStringList tabs;
    for (int i = 0; i < window->tabs()->count(); ++i)
        tabs.append(window->tabs()->tabText(i));
    EXPECT_EQ(tabs, (QStringList{QStringLiteral("Вопросник"), QStringLiteral("Занятия"), QStringLiteral("Результаты"),
                                  QStringLiteral("Анализ"), QStringLiteral("Класс по сети")}));
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("новый вопросник")));
}

TEST_F(WindowTest, F1ShowsTheTeachersGuide)
{
    key(Qt::Key_F1);
    ASSERT_NE(window->help(), nullptr);
    EXPECT_TRUE(window->help()->isVisible());
    EXPECT_TRUE(window->help()->guideText().contains(QStringLiteral("Импорт")));
}

// A school's old monitor is 800×600: the guide opens whole on it, title bar and button
// included, and Escape closes it whichever of its parts has the keyboard.
TEST_F(WindowTest, TheGuideFitsASmallScreenAndEscapeClosesItFromAnyOfItsParts)
{
    key(Qt::Key_F1);
    TeacherHelp *help = window->help();
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    const QRect frame = help->frameGeometry();
    EXPECT_LE(frame.width(), 800);
    EXPECT_LE(frame.height(), 600);
    EXPECT_TRUE(help->screen()->availableGeometry().contains(frame));

    auto *browser = help->findChild<QTextBrowser *>();
    auto *close = help->findChild<QPushButton *>();
    ASSERT_TRUE(browser && close);
    for (QWidget *part : {static_cast<QWidget *>(browser), browser->viewport(), static_cast<QWidget *>(close)}) {
        QApplication::setActiveWindow(window.get());
        key(Qt::Key_F1);
        ASSERT_TRUE(QTest::qWaitForWindowActive(help));
        part->setFocus();
        QTest::keyClick(help->windowHandle(), Qt::Key_Escape);
        EXPECT_FALSE(help->isVisible()) << part->metaObject()->className();
    }
}

TEST_F(WindowTest, InsertAddsAMarkedQuestionAndCtrlZCtrlYTakeItBackAndAgain)
{
    key(Qt::Key_Insert);
    ASSERT_EQ(doc().count(1), 1);
    EXPECT_TRUE(window->isModified());
    const QModelIndex cell = editor().table()->model()->index(0, 1);
    EXPECT_TRUE(cell.data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(cell.data(Qt::ToolTipRole).toString().contains(QStringLiteral("пустое поле")));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc().count(1), 0);
    EXPECT_FALSE(window->isModified());
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(doc().count(1), 1);
}

TEST_F(WindowTest, DuplicateMoveAndDeleteByTheirKeys)
{
    openSaved(fullBank(2));
    editor().setCurrentCell(0, 0);
    key(Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(doc().count(1), 3);
    EXPECT_EQ(doc().question(1, 1).question, QStringLiteral("Вопрос 1.1?"));
    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(doc().question(1, 2).question, QStringLiteral("Вопрос 1.1?"));
    EXPECT_EQ(editor().currentRow(), 2);
    prompts.level = 6;
    key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(doc().count(6), 3);
    EXPECT_EQ(doc().question(6, 2).question, QStringLiteral("Вопрос 1.1?"));
    editor().setCurrentCell(0, 0);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(doc().count(1), 1);
    EXPECT_EQ(doc().question(1, 0).question, QStringLiteral("Вопрос 1.2?"));
}

// Questions chosen with Ctrl+click and Shift+click go to another level, or are deleted, together:
// one undo step brings them all back where they were.
TEST_F(WindowTest, SeveralChosenQuestionsMoveOrGoTogetherAsOneStep)
{
    openSaved(fullBank(4));
    QTableView *table = editor().table();
    const auto click = [table](int row, Qt::KeyboardModifiers mods) {
        const QRect cell = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, mods, cell.center());
    };
    click(0, Qt::NoModifier);
    click(2, Qt::ControlModifier);
    click(3, Qt::ControlModifier);
    EXPECT_EQ(editor().selectedRows(), QList<int>({0, 2, 3}));
    prompts.level = 6;
    key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(prompts.asked.value(prompts.asked.size() - 1), QStringLiteral("Перенести вопросы (3)"));
    ASSERT_EQ(doc().count(1), 1);
    EXPECT_EQ(doc().question(1, 0).question, QStringLiteral("Вопрос 1.2?"));
    ASSERT_EQ(doc().count(6), 7);
    EXPECT_EQ(doc().question(6, 4).question, QStringLiteral("Вопрос 1.1?"));
    EXPECT_EQ(doc().question(6, 5).question, QStringLiteral("Вопрос 1.3?"));
    EXPECT_EQ(doc().question(6, 6).question, QStringLiteral("Вопрос 1.4?"));
    key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(doc().count(1), 4);
    EXPECT_EQ(doc().count(6), 4);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(doc().question(1, r).question, QStringLiteral("Вопрос 1.%1?").arg(r + 1));

    click(1, Qt::NoModifier);
    click(2, Qt::ShiftModifier);
    key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(doc().count(1), 2);
    EXPECT_EQ(doc().question(1, 0).question, QStringLiteral("Вопрос 1.1?"));
    EXPECT_EQ(doc().question(1, 1).question, QStringLiteral("Вопрос 1.4?"));
    key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(doc().count(1), 4);
    EXPECT_EQ(doc().question(1, 1).question, QStringLiteral("Вопрос 1.2?"));
    EXPECT_EQ(doc().question(1, 2).question, QStringLiteral("Вопрос 1.3?"));
}

TEST_F(WindowTest, SavingABankWithProblemsIsRefusedWithTheListAndTheFileStays)
{
    const QString path = openSaved(fullBank(1));
    const QByteArray saved = readBytes(path);
    doc().setField(9, 0, 3, QStringLiteral("да"));
    doc().removeQuestion(12, 0);
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("Вопросник не сохранён: ошибок 2")));
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("Уровень 9, вопрос 1, второй неверный ответ")))
        << prompts.errors[0].toStdString();
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("Уровень 12: нет ни одного вопроса")));
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_TRUE(window->isModified());
}

TEST_F(WindowTest, ABankShortOfQuestionsIsSavedOnlyWhenTheTeacherConfirms)
{
    const QString path = openSaved(fullBank(1));
    const QByteArray saved = readBytes(path);
    doc().removeQuestion(12, 0);
    prompts.confirmAnswer = false;
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_TRUE(window->isModified());
    prompts.confirmAnswer = true;
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_FALSE(window->isModified());
    const auto read = ReadBank(path);
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(read.value.bank.levels[12].isEmpty());
}

TEST_F(WindowTest, CtrlSSavesTheBankInPlaceAndTheTitleLosesItsMark)
{
    const QString path = openSaved(fullBank(1));
    doc().setField(2, 0, 0, QStringLiteral("Новый текст?"));
    EXPECT_TRUE(window->isWindowModified());
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(window->isWindowModified());
    const auto read = ReadBank(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value.bank.levels[2][0].question, QStringLiteral("Новый текст?"));
}

TEST_F(WindowTest, ANewBankIsSavedWhereTheTeacherChooses)
{
    window->openBank(folder + QStringLiteral("none.faq"));
    EXPECT_EQ(prompts.errors.size(), 1);
    doc().reset(fullBank(1));
    prompts.files = {folder + QStringLiteral("new.faq")};
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(window->bankPath(), folder + QStringLiteral("new.faq"));
    EXPECT_TRUE(ReadBank(window->bankPath()).ok());
}

TEST_F(WindowTest, ClickingAProblemShowsItsLevelAndCell)
{
    openSaved(fullBank(2));
    doc().setField(9, 1, 3, QStringLiteral("нет"));
    QListView *list = editor().problemList();
    ASSERT_EQ(list->model()->rowCount(), 1);
    const QRect r = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(editor().currentLevel(), 9);
    EXPECT_EQ(editor().table()->currentIndex().row(), 1);
    EXPECT_EQ(editor().table()->currentIndex().column(), 3);
}

TEST_F(WindowTest, TheMinimumMarksLevelsWithFewerQuestions)
{
    openSaved(fullBank(2));
    QAbstractItemModel *levels = editor().levelList()->model();
    EXPECT_FALSE(levels->index(0, 0).data(Qt::BackgroundRole).isValid());
    editor().minimumBox()->setValue(3);
    EXPECT_TRUE(levels->index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(doc().minimum(), 3);
}

TEST_F(WindowTest, APictureInTheProgramFolderIsNamedRelativeToItAndPreviewed)
{
    openSaved(fullBank(1));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QDir(folder).mkpath(QStringLiteral("FOTO"));
    ASSERT_TRUE(picture.save(folder + QStringLiteral("FOTO/map.png")));
    editor().setCurrentCell(0, 0);
    prompts.files = {folder + QStringLiteral("FOTO/map.png")};
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(doc().question(1, 0).illustration, QDir::toNativeSeparators(QStringLiteral("FOTO/map.png")));
    EXPECT_TRUE(editor().previewShowsPicture());

    editor().table()->model()->setData(editor().table()->model()->index(0, 5), QStringLiteral("https://example.org/a.png"));
    EXPECT_FALSE(editor().previewShowsPicture());
    EXPECT_TRUE(editor().previewText().startsWith(QStringLiteral("Веб-адрес: https://example.org/a.png")));
}

// The editor reads an illustration as the game does: the same table tests both.
TEST_F(WindowTest, IllustrationsAreReadAsTheGameReadsThem)
{
    openSaved(fullBank(1));
    editor().setCurrentCell(0, 0);
    for (const illustrations::Address &row : illustrations::table()) {
        SCOPED_TRACE(row.reference.toStdString());
        EXPECT_EQ(editor().illustrationFile(row.reference), row.web ? QString() : illustrations::location(row, folder));
        editor().table()->model()->setData(editor().table()->model()->index(0, 5), row.reference);
        EXPECT_EQ(editor().previewText().startsWith(QStringLiteral("Веб-адрес: ")), row.web);
    }
}

TEST_F(WindowTest, RemembersItsSizeAndTheLastBankForTheNextStart)
{
    const QString path = openSaved(fullBank(1), "remembered.faq");
    window->resize(800, 560);
    window->close();
    open();
    EXPECT_EQ(window->size(), QSize(800, 560));
    const auto recent = window->findChildren<QMenu *>();
    QStringList shown;
    for (QMenu *m : recent) {
        for (QAction *a : m->actions())
            shown.append(a->text());
    }
    // The latest first, numbered for the keyboard.
    EXPECT_TRUE(shown.contains(QStringLiteral("&1 ") + QDir::toNativeSeparators(path)));
}

TEST_F(WindowTest, RegistersTheSavedBankAsALessonOfTheSettingsFile)
{
    openSaved(fullBank(1));
    prompts.texts = {QStringLiteral("гео")};
    key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(window->tabs()->currentIndex(), 1);
    EXPECT_EQ(readBytes(folder + QStringLiteral("tallory.ini")), testutil::w(u"[ГЕО]\r\nВопросник=lesson.faq\r\n"));
}

TEST_F(WindowTest, TheResultsShownGoToACsvFileForASpreadsheet)
{
    ASSERT_TRUE(WriteResult(folder + QStringLiteral("tallory.rez"), testutil::w(u"ГЕО"), testutil::w(u"ИВАНОВ"), 6).ok());
    prompts.fileLists = {{folder + QStringLiteral("tallory.rez")}};
    prompts.files = {folder + QStringLiteral("class.csv")};
    key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(prompts.errors.isEmpty());
    const QByteArray bytes = readBytes(folder + QStringLiteral("class.csv"));
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")); // UTF-8 with a BOM, as a Russian spreadsheet wants
    const QString csv = QString::fromUtf8(bytes);
    EXPECT_TRUE(csv.contains(QStringLiteral("ГЕО;ИВАНОВ;5;Удовлетворительно"))) << csv.toStdString();
}

TEST_F(WindowTest, TheLessonsTabIsWorkedByItsButtons)
{
    testutil::writeBytes(folder + QStringLiteral("tallory.ini"),
                         testutil::w(u"; настройки класса\r\n[ДЕМО]\r\nВопросник=demo.faq\r\n[настройки]\r\nВедущий=\r\n"));
    open();
    openSaved(fullBank(1), "geo.faq");
    window->tabs()->setCurrentIndex(1);
    const auto click = [this](const char *name) {
        auto *b = window->findChild<QPushButton *>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    };
    prompts.texts = {QStringLiteral("гео")};
    prompts.files = {folder + QStringLiteral("geo.faq")};
    click("addLesson");
    EXPECT_EQ(readBytes(folder + QStringLiteral("tallory.ini")),
              testutil::w(u"; настройки класса\r\n[ДЕМО]\r\nВопросник=demo.faq\r\n[настройки]\r\nВедущий=\r\n"
                          u"[ГЕО]\r\nВопросник=geo.faq\r\n"));
    // Rename the new lesson, then remove the demo: only their own lines change.
    QTableView *table = nullptr;
    for (QTableView *v : window->findChildren<QTableView *>()) {
        if (v->isVisible() && v->model()->rowCount() == 2)
            table = v; // the lessons, on the tab shown
    }
    ASSERT_NE(table, nullptr);
    table->setCurrentIndex(table->model()->index(1, 0));
    prompts.texts = {QStringLiteral("ГЕО-8")};
    click("renameLesson");
    table->setCurrentIndex(table->model()->index(0, 0));
    prompts.confirmAnswer = true;
    click("removeLesson");
    EXPECT_EQ(readBytes(folder + QStringLiteral("tallory.ini")),
              testutil::w(u"; настройки класса\r\n[настройки]\r\nВедущий=\r\n[ГЕО-8]\r\nВопросник=geo.faq\r\n"));
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(QLatin1Char('\n')).toStdString();
}

// A new question is typed at once: Ins (or Ctrl+D) leaves the keyboard in its first cell.
TEST_F(WindowTest, AfterInsOrCtrlDTheTypingGoesIntoTheNewQuestionsFirstCell)
{
    openSaved(fullBank(1));
    const auto type = [](const char *text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents(); // the cell takes the text once Enter is handled
    };
    editor().setCurrentCell(0, 2);
    editor().notesEdit()->setFocus(); // wherever the keyboard was before
    key(Qt::Key_Insert);
    type("Kto?");
    ASSERT_EQ(doc().count(1), 2);
    EXPECT_EQ(doc().question(1, 1).question, QStringLiteral("Kto?"));
    EXPECT_EQ(doc().question(1, 0).question, QStringLiteral("Вопрос 1.1?"));

    editor().setCurrentCell(0, 3);
    key(Qt::Key_D, Qt::ControlModifier);
    type("Gde?");
    ASSERT_EQ(doc().count(1), 3);
    EXPECT_EQ(doc().question(1, 1).question, QStringLiteral("Gde?"));
    EXPECT_EQ(doc().question(1, 1).right, doc().question(1, 0).right);
    EXPECT_EQ(doc().question(1, 0).question, QStringLiteral("Вопрос 1.1?"));
}
