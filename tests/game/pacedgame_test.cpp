// A game paced by the program's real pacer, the player clicking while the host speaks.

#include "gamefixture.h"
#include "windowsystem.h"

#include <QApplication>
#include <QTest>

namespace {

// The program's pacer, fifty times faster, writing its waits into the timeline.
class FastRealPacer : public Pacer
{
public:
    explicit FastRealPacer(Timeline &timeline) : m_timeline(timeline) {}
    void wait(int ms) override
    {
        m_timeline.events << QStringLiteral("wait %1").arg(ms);
        if (during)
            during(ms);
        m_real.wait(std::max(1, ms / 50));
    }
    std::function<void(int)> during;

private:
    Timeline &m_timeline;
    EventLoopPacer m_real;
};

// The fake sound, with a clip played to its end taking its time on the pacer, as the program's
// clips do.
class ClipsTakeTime : public SoundBackend
{
public:
    static constexpr int kClipMs = 1500;
    ClipsTakeTime(FakeSound &heard, Pacer &pacer) : m_heard(heard), m_pacer(pacer) {}
    bool play(const QString &path, bool toEnd) override
    {
        const bool played = m_heard.play(path, toEnd);
        if (played && toEnd)
            m_pacer.wait(kClipMs);
        return played;
    }

private:
    FakeSound &m_heard;
    Pacer &m_pacer;
};

} // namespace

class PacedGame : public GameFixture
{
protected:
    /// A shown, active window on the real pacer, in a new game of the player's.
    TForm1 &startPaced(const QString &player)
    {
        form = std::make_unique<TForm1>(services(real));
        form->show();
        QApplication::setActiveWindow(form.get());
        newGame(QStringLiteral("ТЕСТ"), player);
        return *form;
    }

    FastRealPacer real{timeline};
};

TEST_F(PacedGame, ASecondClickDuringTheSuspenseJudgesNothing)
{
    TForm1 &f = startPaced(QStringLiteral("Торопыгин"));
    const int right = rightButton();
    TGradBtn *button = f.FaqBtn[static_cast<size_t>(right)];
    int levelAfterSequence = 0;
    real.during = [&](int ms) {
        // The player clicks the same answer again, and presses its key, in the 300 ms suspense.
        if (ms == 300) {
            windowsystem::queueClick(button, QPoint(20, 10));
            windowsystem::queueKey(button, static_cast<Qt::Key>(Qt::Key_0 + right), QString::number(right));
        }
    };
    timeline.events.clear();
    button->Click();
    levelAfterSequence = f.Game.CurrentLevel;
    real.during = nullptr;
    EXPECT_EQ(levelAfterSequence, 2);
    // Nor do they answer the next question, which the player has not yet read: the answers
    // held during the sequence are dropped when it ends.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Game.CurrentLevel, 2);
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip btnclick background")), 1);
    EXPECT_EQ(timeline.events.count(QStringLiteral("wait 300")), 1);
    EXPECT_TRUE(f.FaqBtn[1]->isVisibleTo(&f));
}

// The stop key pressed while the host speaks is not an answer: it is carried out after.
TEST_F(PacedGame, AStopPressedDuringTheSequenceStopsTheGameAfterIt)
{
    TForm1 &f = startPaced(QStringLiteral("Стопов"));
    f.FaqBtn[static_cast<size_t>(rightButton())]->Click();
    real.during = [&](int ms) {
        if (ms == 300)
            windowsystem::queueKey(&f, Qt::Key_F6, QString());
    };
    f.FaqBtn[static_cast<size_t>(rightButton())]->Click();
    real.during = nullptr;
    QCoreApplication::processEvents();
    // Stopped on the third question, the second answer having been judged right first.
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Стопов")), QStringLiteral("СТОПОВ|2|Неудовлетворительно"));
}

// After a click, the button clicked keeps no keyboard focus into the next question: a stray
// Enter answers nothing.
TEST_F(PacedGame, AStrayEnterOnTheNextQuestionAnswersNothing)
{
    TForm1 &f = startPaced(QStringLiteral("Энтеров"));
    TGradBtn *button = f.FaqBtn[static_cast<size_t>(rightButton())];
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 10));
    ASSERT_EQ(f.Game.CurrentLevel, 2);
    timeline.events.clear();
    for (QWidget *w : {QApplication::focusWidget(), static_cast<QWidget *>(&f)}) {
        if (w)
            QTest::keyClick(w, Qt::Key_Return);
    }
    EXPECT_EQ(f.Game.CurrentLevel, 2);
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip btnclick background")), 0);
}

// The gong plays before the first question is on screen: keys pressed then were not meant for
// a question the student has not read, and are dropped as those held during an answer are.
TEST_F(PacedGame, KeysPressedDuringTheGongAnswerNothing)
{
    ClipsTakeTime timedSound(sound, real);
    FormServices with = services(real);
    with.sound = &timedSound;
    form = std::make_unique<TForm1>(with);
    form->show();
    QApplication::setActiveWindow(form.get());
    real.during = [&](int ms) {
        if (ms != ClipsTakeTime::kClipMs)
            return;
        for (int k = 1; k <= 4; ++k)
            windowsystem::queueKey(form.get(), static_cast<Qt::Key>(Qt::Key_0 + k), QString::number(k));
    };
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Гонгов"));
    real.during = nullptr;
    ASSERT_TRUE(timeline.events.contains(QStringLiteral("clip gong to end")));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->Game.CurrentLevel, 1);
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip btnclick background")), 0);
    EXPECT_TRUE(form->FaqBtn[1]->isVisibleTo(form.get()));
    // The keys work again once the question is on screen.
    windowsystem::queueKey(form.get(), static_cast<Qt::Key>(Qt::Key_0 + rightButton()), QString::number(rightButton()));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->Game.CurrentLevel, 2);
}
