// Text still being typed into a cell when the teacher saves or leaves, driven as she does it: a
// double-click on «Верный ответ», the keys of the answer, then Ctrl+S, Ctrl+Q, Ctrl+N, Ctrl+O
// or closing the window while the cell is still open.

#include "teachertest_window.h"

#include <QTableView>

using teachertest::fullBank;

namespace {

enum class Road { Save, Quit, New, Open, Close };

class TypingInACell : public WindowTest, public ::testing::WithParamInterface<Road>
{
protected:
    // Types into the right answer of the first question of level 3, the cell left open.
    void typeTheRightAnswer(const QString &text)
    {
        editor().setCurrentLevel(3);
        QTableView *table = editor().table();
        const QPoint cell = table->visualRect(table->model()->index(0, 1)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell);
        typed = QApplication::focusWidget();
        ASSERT_TRUE(typed && table->isAncestorOf(typed)) << "no editor opened on a double-click";
        QTest::keyClick(typed, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(typed, text);
    }
    void leave()
    {
        switch (GetParam()) {
        case Road::Save: QTest::keyClick(typed, Qt::Key_S, Qt::ControlModifier); break;
        case Road::Quit: QTest::keyClick(typed, Qt::Key_Q, Qt::ControlModifier); break;
        case Road::New: QTest::keyClick(typed, Qt::Key_N, Qt::ControlModifier); break;
        case Road::Open: QTest::keyClick(typed, Qt::Key_O, Qt::ControlModifier); break;
        case Road::Close: window->close(); break; // as Alt+F4 under a window manager
        }
    }

    QWidget *typed = nullptr;
};

} // namespace

TEST_P(TypingInACell, TheTextBeingTypedIsAChangeThatIsSavedOrAskedAbout)
{
    const QString path = openSaved(fullBank(1));
    typeTheRightAnswer(QStringLiteral("Seven"));
    EXPECT_TRUE(window->isModified());
    EXPECT_TRUE(window->isWindowModified()) << "the title shows no «*» while a cell is typed into";
    prompts.chooseAnswer = std::nullopt; // «Отмена» in the box that asks before leaving
    leave();
    if (GetParam() == Road::Save) {
        EXPECT_EQ(ReadBank(path).value.bank.levels[3].value(0).right, QStringLiteral("Seven"));
        EXPECT_FALSE(window->isModified());
        EXPECT_FALSE(window->isWindowModified());
        return;
    }
    EXPECT_TRUE(prompts.asked.contains(QStringLiteral("Вопросник изменён"))) << prompts.asked.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->bankPath(), path);
    EXPECT_EQ(doc().question(3, 0).right, QStringLiteral("Seven"));
    EXPECT_TRUE(window->isModified());
}

namespace {

std::string roadName(const ::testing::TestParamInfo<Road> &info)
{
    static const char *const names[] = {"CtrlS", "CtrlQ", "CtrlN", "CtrlO", "CloseWindow"};
    return names[static_cast<int>(info.param)];
}

} // namespace

INSTANTIATE_TEST_SUITE_P(EveryKey, TypingInACell,
                         ::testing::Values(Road::Save, Road::Quit, Road::New, Road::Open, Road::Close), roadName);
