// A game paced by the program's real pacer, the player clicking while the host speaks.

#include "gamefixture.h"
#include "windowsystem.h"

#include <QApplication>

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

} // namespace

class PacedGame : public GameFixture
{
protected:
    FastRealPacer real{timeline};
};

TEST_F(PacedGame, ASecondClickDuringTheSuspenseJudgesNothing)
{
    form = std::make_unique<TForm1>(services(real));
    TForm1 &f = *form;
    f.show();
    QApplication::setActiveWindow(&f);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Торопыгин"));
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
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip btnclick background")), 1);
    EXPECT_EQ(timeline.events.count(QStringLiteral("wait 300")), 1);
}
