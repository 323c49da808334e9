// The three lifelines played through the game window as a student uses them: the F-keys, the
// toolbar, the call window's keypad and keyboard, with the timeline of clips and waits.

#include "lifelinesfixture.h"

#include "alphabar.h"
#include "gradbtn.h"
#include "counters.h"
#include "cp1251.h"
#include "lcd99.h"
#include "phrases.h"
#include "pictures.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using lifelines::callWindow;
using lifelines::tick;

class Lifelines : public LifelinesFixture
{
};

TEST_F(Lifelines, FiftyFiftyByF5BlanksTwoWrongAnswersOnce)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Половинкин"));
    const QStringList before = captions();
    const int right = rightButton();
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F5);
    const QStringList after = captions();
    EXPECT_EQ(after.count(QString()), 2);
    EXPECT_EQ(after[right - 1], before[right - 1]);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(after[i].isEmpty() || after[i] == before[i]) << i; // letters do not move
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip 50x50 background")});
    EXPECT_FALSE(f.N50501->isEnabled());
    EXPECT_FALSE(f.SL1->isEnabled());

    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F5); // spent until the next game
    EXPECT_TRUE(timeline.events.isEmpty());
    // The wrong answer left is judged as any other.
    for (int tag = 1; tag <= 4; ++tag) {
        if (tag != right && !after[tag - 1].isEmpty())
            f.FaqBtn[static_cast<size_t>(tag)]->Click();
    }
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Половинкин")), QStringLiteral("ПОЛОВИНКИН|0|Неудовлетворительно"));
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Следующий"));
    EXPECT_TRUE(f.N50501->isEnabled());
    EXPECT_TRUE(f.SL1->isEnabled());
}

// An answer fifty-fifty took away is gone: its key, a click on its place and Enter on it choose
// nothing, and the answer left is still judged.
TEST_F(Lifelines, AnAnswerFiftyFiftyRemovedCannotBeChosen)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Убранов"));
    QTest::keyClick(&f, Qt::Key_F5);
    timeline.events.clear();
    int removed = 0;
    for (int tag = 1; tag <= 4; ++tag) {
        TGradBtn *button = f.FaqBtn[static_cast<size_t>(tag)];
        if (!button->Caption().isEmpty())
            continue;
        ++removed;
        QTest::keyClick(&f, static_cast<char>('0' + tag));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 10));
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Return);
    }
    EXPECT_EQ(removed, 2);
    EXPECT_EQ(f.Game.CurrentLevel, 1);
    EXPECT_TRUE(timeline.events.isEmpty()) << timeline.events.join(QLatin1Char('\n')).toStdString();
    answerRight();
    EXPECT_EQ(f.Game.CurrentLevel, 2);
}

TEST_F(Lifelines, AudienceByF3ShowsFourBarsOfFiftyVotesCentred)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Зрителев"));
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F3);
    EXPECT_TRUE(f.Panel2->isVisibleTo(&f));
    EXPECT_EQ(f.Panel2->geometry(), QRect(391, 56, 242, 186));
    ASSERT_EQ(chart.size(), 4);
    int total = 0;
    QStringList labels;
    for (const AudienceBar &bar : chart) {
        total += bar.votes;
        labels << bar.label;
    }
    EXPECT_EQ(total, 50);
    EXPECT_EQ(labels, (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}));
    ASSERT_EQ(timeline.events.size(), 2);
    EXPECT_TRUE(timeline.events[0].startsWith(QStringLiteral("chart: A ")));
    EXPECT_EQ(timeline.events[1], QStringLiteral("clip zal background"));
    EXPECT_FALSE(f.N4->isEnabled());
    EXPECT_FALSE(f.SL3->isEnabled());
}

TEST_F(Lifelines, AudiencePanelSitsInTheMiddleOfAnyScreen)
{
    form = std::make_unique<TForm1>(services(watching, QSize(800, 600)));
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Узкий"));
    form->SL3->click();
    EXPECT_EQ(form->Panel2->geometry(), QRect(279, 56, 242, 186));
}

TEST_F(Lifelines, AudiencePanelGoesAtTheTenthTickAndTheMusicComesBackEveryTen)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Тикалов"));
    tick(f.Timer2);
    tick(f.Timer2);
    QTest::keyClick(&f, Qt::Key_F3);
    timeline.events.clear();
    for (int t = 1; t <= 9; ++t)
        tick(f.Timer2);
    EXPECT_TRUE(f.Panel2->isVisibleTo(&f));
    EXPECT_TRUE(timeline.events.isEmpty());
    tick(f.Timer2);
    EXPECT_FALSE(f.Panel2->isVisibleTo(&f));
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip fon1 background")});
    for (int t = 1; t <= 10; ++t)
        tick(f.Timer2);
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip fon1 background")), 2);
}

// The music starts again every few seconds; a student who has tabbed to an answer keeps it
// through that, and through the chart going, and Enter chooses it.
TEST_F(Lifelines, TheMusicLoopLeavesTheFocusOnTheAnswerChosen)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Табов"));
    QTest::keyClick(&f, Qt::Key_F3);
    TGradBtn *chosen = f.FaqBtn[static_cast<size_t>(rightButton())];
    chosen->setFocus(Qt::TabFocusReason);
    for (int t = 1; t <= 30; ++t) // the chart's ten ticks, then the music twice round
        tick(f.Timer2);
    ASSERT_FALSE(f.Panel2->isVisibleTo(&f));
    ASSERT_EQ(timeline.events.count(QStringLiteral("clip fon1 background")), 1 + 3);
    EXPECT_EQ(QApplication::focusWidget(), chosen);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(f.Game.CurrentLevel, 2);
}

TEST_F(Lifelines, AfterFiftyFiftyTheAudienceShowsTwoBars)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Двоев"));
    QTest::keyClick(&f, Qt::Key_F3);
    EXPECT_TRUE(f.Panel2->isVisibleTo(&f));
    QTest::keyClick(&f, Qt::Key_F5);
    EXPECT_FALSE(f.Panel2->isVisibleTo(&f)); // fifty-fifty takes the chart away at once
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Троев"));
    QTest::keyClick(&f, Qt::Key_F5);
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_EQ(chart.size(), 2);
    const QStringList shown = captions();
    for (const AudienceBar &bar : chart) {
        const int tag = bar.label[0].unicode() - 'A' + 1;
        EXPECT_FALSE(shown[tag - 1].isEmpty()) << bar.label.toStdString();
    }
    EXPECT_TRUE(chart[0].label < chart[1].label);
}

// The call takes the audience's chart away as it begins: the player dials with the chart gone,
// and it does not come back when the call ends.
TEST_F(Lifelines, PhoningAFriendTakesTheChartAway)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Звонилкин"));
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_TRUE(f.Panel2->isVisibleTo(&f));
    bool chartDuringTheCall = true;
    dialogs.onModal = [&](QDialog &d) {
        chartDuringTheCall = f.Panel2->isVisibleTo(&f);
        QTest::keyClick(&callWindow(d), Qt::Key_Enter);
    };
    QTest::keyClick(&f, Qt::Key_F4);
    EXPECT_FALSE(chartDuringTheCall);
    EXPECT_FALSE(f.Panel2->isVisibleTo(&f));
    EXPECT_FALSE(f.N5->isEnabled());
}

TEST_F(Lifelines, AnAnswerClickTakesTheChartAway)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Кликов"));
    QTest::keyClick(&f, Qt::Key_F3);
    answerRight();
    EXPECT_FALSE(f.Panel2->isVisibleTo(&f));
    EXPECT_EQ(f.Game.CurrentLevel, 2);
}

// The audience's poll belongs to its question: a stop leaves the emblem clear for the next student.
TEST_F(Lifelines, StoppingTheGameTakesTheChartAway)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Стопов"));
    answerRight();
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_TRUE(f.Panel2->isVisibleTo(&f));
    QTest::keyClick(&f, Qt::Key_F6);
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Стопов")), QStringLiteral("СТОПОВ|1|Неудовлетворительно"));
    EXPECT_FALSE(f.Panel2->isVisibleTo(&f));
}

// Enter hangs up; pressed twice, the second must not answer the question. Qt hands the focus
// back to an answer button when the main window is active again after the call.
TEST_F(Lifelines, AnEnterAfterTheCallAnswersNothing)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Звонков"));
    dialogs.onModal = [&](QDialog &d) {
        f.FaqBtn[4]->setFocus(Qt::ActiveWindowFocusReason); // where Qt would put it on return
        QTest::keyClick(&callWindow(d), Qt::Key_Enter);
    };
    QTest::keyClick(&f, Qt::Key_F4);
    timeline.events.clear();
    EXPECT_NE(f.focusWidget(), f.FaqBtn[4]);
    QTest::keyClick(f.focusWidget() ? f.focusWidget() : static_cast<QWidget *>(&f), Qt::Key_Return);
    EXPECT_EQ(f.Game.CurrentLevel, 1);
    EXPECT_FALSE(timeline.events.contains(QStringLiteral("clip btnclick background")));
}

TEST_F(Lifelines, DiallingTheNumberByKeyboardShowsTheReplyAfterTheSeventhDigit)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Звонарёв"));
    const QString number = firstNumber();
    const QString rightCaption = f.FaqBtn[static_cast<size_t>(rightButton())]->Caption();
    QStringList seen;
    dialogs.onModal = [&](QDialog &d) {
        TTelform &t = callWindow(d);
        seen << t.windowTitle() << t.TimeBtn->Caption();
        EXPECT_TRUE(t.Label1->text().endsWith(number)) << t.Label1->text().toStdString();
        EXPECT_TRUE(t.AlphaPanel1->isVisible());
        EXPECT_TRUE(t.LCD991->isVisible());
        EXPECT_FALSE(t.Image1->isVisible());
        EXPECT_TRUE(t.testAttribute(Qt::WA_WState_Visible));
        QTest::keyClicks(&t, number.left(6));
        EXPECT_EQ(t.LCD991->Value(), number.left(6));
        EXPECT_FALSE(timeline.events.contains(QStringLiteral("clip ringon background")));
        QTest::keyClick(&t, number[6].toLatin1());
        EXPECT_TRUE(timeline.events.contains(QStringLiteral("clip ringon background")));
        EXPECT_FALSE(t.AlphaPanel1->isVisible());
        EXPECT_FALSE(t.LCD991->isVisible());
        EXPECT_TRUE(t.Image1->isVisible());
        EXPECT_EQ(t.Image1->pixmap().toImage(), BuiltinPicture(QStringLiteral("dr1")).toImage());
        EXPECT_EQ(t.Label1->x(), 70);
        EXPECT_EQ(t.Label1->palette().color(QPalette::WindowText), QColor(0x00, 0xFF, 0xFF));
        seen << t.Label1->text();
        QTest::keyClick(&t, Qt::Key_Return); // hang up
        EXPECT_FALSE(t.isVisible());
    };
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F4);
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0], QStringLiteral("Звонок другу!"));
    EXPECT_EQ(seen[1], QStringLiteral("30"));
    EXPECT_TRUE(seen[2].startsWith(cp1251::decode(FriendNames(1)) + QLatin1Char('\n')));
    EXPECT_TRUE(seen[2].contains(QStringLiteral("\"") + rightCaption + QStringLiteral("\""))) << seen[2].toStdString();
    EXPECT_EQ(timeline.events,
              (QStringList{QStringLiteral("clip btnclick background"), QStringLiteral("modal: Звонок другу!"),
                           QStringLiteral("clip ringon background"), QStringLiteral("clip ringoff background"),
                           QStringLiteral("modal closed")}));
    EXPECT_FALSE(dialogs.stillOpenAfterScript);
    EXPECT_FALSE(f.N5->isEnabled());
    EXPECT_FALSE(f.SL2->isEnabled());
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Друг"), -1).value, 1);
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Фраза"), -1).value, 1);
}

TEST_F(Lifelines, AWrongDigitNeedsBackspaceAndTheKeypadStarClears)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Ошибкин"));
    const QString number = firstNumber();
    dialogs.onModal = [&](QDialog &d) {
        TTelform &t = callWindow(d);
        QTest::keyClicks(&t, number.left(6) + QStringLiteral("8"));
        EXPECT_FALSE(t.Image1->isVisible());
        QTest::keyClick(&t, Qt::Key_Backspace);
        EXPECT_EQ(t.LCD991->Value(), number.left(6));
        QTest::mouseClick(t.AlphaPanel1->FindButton(QLatin1Char('*')), Qt::LeftButton);
        EXPECT_EQ(t.LCD991->Value(), QString());
        QTest::keyClicks(&t, QStringLiteral("12"));
        QTest::keyClick(&t, Qt::Key_Escape); // clears, and the window stays
        EXPECT_EQ(t.LCD991->Value(), QString());
        EXPECT_TRUE(t.isVisible());
        for (const QChar digit : number)
            QTest::mouseClick(t.AlphaPanel1->FindButton(digit), Qt::LeftButton);
        EXPECT_TRUE(t.Image1->isVisible());
        // Keys after the answer change the hidden display but never ring again.
        QTest::keyClicks(&t, number);
        EXPECT_EQ(timeline.events.count(QStringLiteral("clip ringon background")), 1);
        t.TimeBtn->Click();
    };
    QTest::keyClick(&f, Qt::Key_F4);
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip ringoff background")), 1);
}

TEST_F(Lifelines, TheCallEndsByItselfAfterThirtyTicksWithoutASound)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Молчунов"));
    QStringList countdown;
    dialogs.onModal = [&](QDialog &d) {
        TTelform &t = callWindow(d);
        for (int s = 1; s <= 30 && t.isVisible(); ++s) {
            tick(t.Timer1);
            countdown << t.TimeBtn->Caption();
        }
    };
    timeline.events.clear();
    f.SL2->click();
    ASSERT_EQ(countdown.size(), 30);
    EXPECT_EQ(countdown.first(), QStringLiteral("29"));
    EXPECT_EQ(countdown[28], QStringLiteral("1"));
    EXPECT_FALSE(dialogs.stillOpenAfterScript);
    EXPECT_FALSE(timeline.events.contains(QStringLiteral("clip ringoff background")));
    EXPECT_FALSE(f.N5->isEnabled()); // spent all the same
    // The next call starts from 30 again.
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Другой"));
    QString opening;
    dialogs.onModal = [&](QDialog &d) { opening = callWindow(d).TimeBtn->Caption(); };
    f.N5->trigger();
    EXPECT_EQ(opening, QStringLiteral("30"));
}

TEST_F(Lifelines, ClosingTheCallWindowEndsTheCall)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Закрывайкин"));
    dialogs.onModal = [&](QDialog &d) { d.close(); };
    f.N5->trigger();
    EXPECT_FALSE(dialogs.stillOpenAfterScript);
    EXPECT_FALSE(f.N5->isEnabled());
    EXPECT_FALSE(f.Telform()->isVisible());
}

TEST_F(Lifelines, FriendsAndPhrasesCycleAcrossGamesFromTheStore)
{
    testutil::writeBytes(CounterStoreLocation(), testutil::w(u"[OTallory]\r\nДруг=14\r\nФраза=9\r\n"));
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Круговой"));
    QPixmap photo;
    dialogs.onModal = [&](QDialog &d) { photo = callWindow(d).Image1->pixmap(); };
    f.N5->trigger();
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Друг"), -1).value, 1);
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Фраза"), -1).value, 1);
    EXPECT_EQ(photo.toImage(), BuiltinPicture(QStringLiteral("dr1")).toImage());
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Второй круг"));
    f.N5->trigger();
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Друг"), -1).value, 2);
    EXPECT_EQ(photo.toImage(), BuiltinPicture(QStringLiteral("dr2")).toImage());
}

TEST_F(Lifelines, AWholeGameWithAllThreeLifelines)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Помощников"));
    answerRight();
    QTest::keyClick(&f, Qt::Key_F5);
    answerRight();
    QTest::keyClick(&f, Qt::Key_F3);
    answerRight();
    dialogs.onModal = [&](QDialog &d) {
        QTest::keyClicks(&callWindow(d), firstNumber());
        QTest::keyClick(&callWindow(d), Qt::Key_Enter);
    };
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F4);
    EXPECT_EQ(timeline.events,
              (QStringList{QStringLiteral("clip btnclick background"), QStringLiteral("modal: Звонок другу!"),
                           QStringLiteral("clip ringon background"), QStringLiteral("clip ringoff background"),
                           QStringLiteral("modal closed")}));
    for (QAction *item : {f.N4, f.N5, f.N50501})
        EXPECT_FALSE(item->isEnabled());
    answerRight();
    QTest::keyClick(&f, Qt::Key_F6);
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Помощников")), QStringLiteral("ПОМОЩНИКОВ|4|Неудовлетворительно"));
    for (QToolButton *item : {f.SL1, f.SL2, f.SL3})
        EXPECT_FALSE(item->isEnabled());
}

namespace {
/// Rules that refuse fifty-fifty and the poll, as a class server does while it thinks a call
/// is still on.
class RefusingRules final : public GameSession
{
public:
    using GameSession::GameSession;
    std::array<int, 2> fiftyFifty() override { return {0, 0}; }
    std::array<int, 5> askAudience() override { return {}; }
};
} // namespace

TEST_F(Lifelines, ALifelineTheRulesRefuseTakesNothingAwayAndStaysToBeUsed)
{
    NoGameRecorder recorder;
    FormServices s = services(watching);
    RandomSource *random = s.random;
    s.classRules = [this, random, &recorder](const RulesHooks &) {
        return std::make_unique<RefusingRules>(folder, *random, recorder);
    };
    form = std::make_unique<TForm1>(s);
    form->show();
    QApplication::setActiveWindow(form.get());
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Отказов"));
    const QStringList before = captions();
    QTest::keyClick(form.get(), Qt::Key_F5);
    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(captions(), before);
    EXPECT_TRUE(form->N50501->isEnabled());
    EXPECT_TRUE(form->N4->isEnabled());
    EXPECT_FALSE(form->Panel2->isVisible());
    EXPECT_EQ(form->Game.CurrentLevel, 1);
}
