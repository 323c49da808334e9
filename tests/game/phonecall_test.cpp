// Phone a friend from the game window: the misleading call, a counters store that fails, and
// the call window shown modally by the program's own modal show, driven through the window
// system as a player's keys arrive.

#include "lifelinesfixture.h"

#include "counters.h"
#include "friendnames.h"
#include "errorbox.h"
#include "lcd99.h"
#include "phrases.h"
#include "windowsystem.h"

#include <QAction>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

using lifelines::callWindow;

namespace {

/// The fakes' input and error boxes, with the call window shown by the program's real modal
/// show. The player's script runs once the modal loop is running; a window it leaves open is
/// closed, so that no test can hang.
class RealModalDialogs : public FakeDialogs
{
public:
    explicit RealModalDialogs(Timeline &timeline) : FakeDialogs(timeline), m_timeline(timeline) {}

    void showModal(QDialog &window) override
    {
        m_timeline.events << QStringLiteral("modal: ") + window.windowTitle();
        QTimer::singleShot(0, &window, [this, &window] {
            if (onModal)
                onModal(window);
            stillOpenAfterScript = window.isVisible();
            window.close();
        });
        QtDialogs().showModal(window);
        m_timeline.events << QStringLiteral("modal closed");
    }

private:
    Timeline &m_timeline;
};

/// Hands out the keys and clicks the window system has queued.
void deliver()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

/// Types text into the window that has the keyboard, as the window system delivers it.
void typeInto(QWidget *window, const QString &digits)
{
    for (const QChar digit : digits)
        windowsystem::queueKey(window, static_cast<Qt::Key>(Qt::Key_0 + digit.digitValue()), QString(digit));
    deliver();
}

QString withoutBlanks(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

} // namespace

class PhoneFriend : public LifelinesFixture
{
protected:
    /// A shown, active game window whose modal windows are really modal, in a new game.
    TForm1 &startModal(const QString &player)
    {
        FormServices s = services(watching);
        s.dialogs = &modal;
        form = std::make_unique<TForm1>(s);
        form->show();
        QApplication::setActiveWindow(form.get());
        modal.answer(QStringLiteral("ТЕСТ"));
        modal.answer(player);
        form->N2->trigger();
        return *form;
    }

    RealModalDialogs modal{timeline};
};

// Friend 4 and phrase 6 make ten: the friend misleads. The number is built from the phrase the
// friend uses instead, the one after the right answer's button, and the reply names that row's
// answer of the bank, a wrong one, without its letter.
TEST_F(PhoneFriend, TheMisleadingCallNamesAWrongAnswerAfterItsOwnNumber)
{
    TForm1 &f = startShown();
    // A question whose right answer is on A or B: the row after it holds a wrong answer.
    for (int game = 1; game <= 20 && (game == 1 || f.Game.CorrectButton > 2); ++game)
        newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Обманутый %1").arg(game));
    const int right = f.Game.CorrectButton;
    ASSERT_LE(right, 2);
    ASSERT_TRUE(RegWriteInteger(kCounterSection, testutil::w(u"Друг"), 3).ok());
    ASSERT_TRUE(RegWriteInteger(kCounterSection, testutil::w(u"Фраза"), 5).ok());
    const int w = right + 1;
    // Friend 4, phrase w, the right button, level 1 and no points: five digits, and two nines.
    const QString number = QStringLiteral("4") + QString::number(w) + QString::number(right) + QStringLiteral("1099");
    const QString named = w == 2 ? QStringLiteral("Нет 1 a") : QStringLiteral("Нет 1 b");
    QString prompt;
    QString reply;
    dialogs.onModal = [&](QDialog &d) {
        TTelform &t = callWindow(d);
        prompt = t.Label1->text();
        QTest::keyClicks(&t, number);
        reply = t.Label1->text();
        QTest::keyClick(&t, Qt::Key_Return);
    };
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F4);
    EXPECT_TRUE(prompt.endsWith(number)) << prompt.toStdString();
    EXPECT_TRUE(timeline.events.contains(QStringLiteral("clip ringon background")));
    const QString expected = FriendName(4) + QLatin1Char('\n')
        + cp1251::decode(FormatFriendPhrase(w, *cp1251::encode(named)));
    EXPECT_EQ(withoutBlanks(reply), withoutBlanks(expected)) << reply.toStdString();
    EXPECT_TRUE(reply.contains(QStringLiteral("\"") + named + QStringLiteral("\"")));
    EXPECT_FALSE(reply.contains(QStringLiteral("Верно")));
    // The store keeps the phrase the counter reached, not the one the friend used.
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Друг"), -1).value, 4);
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Фраза"), -1).value, 6);
}

// A counters store that fails is reported, and the call does not happen: the lifeline is not
// spent, and once the store works again the player may still phone.
TEST_F(PhoneFriend, AFailingStoreLeavesTheCallForLater)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Невезучий"));
    // A folder where the store's file should be: it can be neither read nor written.
    QFile::remove(CounterStoreLocation());
    ASSERT_TRUE(QDir().mkpath(CounterStoreLocation()));
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F4);
    const QStringList failures = timeline.events.filter(QStringLiteral("failure: "));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("'Друг'"))) << failures[0].toStdString();
    EXPECT_FALSE(timeline.events.contains(QStringLiteral("modal: Звонок другу!")));
    EXPECT_TRUE(f.N5->isEnabled());
    EXPECT_TRUE(f.SL2->isEnabled());

    ASSERT_TRUE(QDir().rmdir(CounterStoreLocation()));
    dialogs.onModal = [&](QDialog &d) { QTest::keyClick(&callWindow(d), Qt::Key_Enter); };
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F4);
    EXPECT_TRUE(timeline.events.contains(QStringLiteral("modal: Звонок другу!")));
    EXPECT_FALSE(f.N5->isEnabled());
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Друг"), -1).value, 1);
}

// While the call window is up, the game window takes no command: a new game (F2) and a stop
// (F6) pressed there do nothing, and the game goes on after the call as it was.
TEST_F(PhoneFriend, WhileTheCallIsUpTheGameWindowTakesNoCommand)
{
    TForm1 &f = startModal(QStringLiteral("Нетерпеливый"));
    answerRight();
    ASSERT_EQ(f.Game.CurrentLevel, 2);
    bool modalShown = false;
    modal.onModal = [&](QDialog &d) {
        modalShown = d.isModal() && d.isVisible() && QApplication::activeModalWidget() == &d;
        f.activateWindow(); // the player clicks the game window
        windowsystem::queueClick(f.FaqBtn[1], QPoint(20, 10));
        windowsystem::queueKey(&f, Qt::Key_F2, QString());
        windowsystem::queueKey(&f, Qt::Key_F6, QString());
        deliver();
        windowsystem::queueKey(&d, Qt::Key_Return, QStringLiteral("\r"));
        deliver();
    };
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F4);
    EXPECT_TRUE(modalShown);
    EXPECT_FALSE(modal.stillOpenAfterScript); // hung up by Enter
    EXPECT_EQ(timeline.events,
              (QStringList{QStringLiteral("clip btnclick background"), QStringLiteral("modal: Звонок другу!"),
                           QStringLiteral("clip ringoff background"), QStringLiteral("modal closed")}))
        << timeline.events.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(f.Game.CurrentLevel, 2);
    EXPECT_FALSE(resultsFileExists());
    EXPECT_TRUE(f.N6->isEnabled());
}

// Escape is the player's "clear" in the call window, not a dialog box's "close": typed there it
// empties the display, and the call goes on.
TEST_F(PhoneFriend, EscapeTypedInTheCallWindowClearsTheDisplayAndTheCallGoesOn)
{
    TForm1 &f = startModal(QStringLiteral("Стиралкин"));
    const QString number = firstNumber();
    QString afterEscape = QStringLiteral("<not typed>");
    bool openAfterEscape = false;
    bool answered = false;
    modal.onModal = [&](QDialog &d) {
        TTelform &t = callWindow(d);
        QWidget *keys = &d; // the window system hands them to the control with the focus
        typeInto(keys, number.left(4));
        windowsystem::queueKey(keys, Qt::Key_Escape, QStringLiteral("\x1b"));
        deliver();
        afterEscape = t.LCD991->Value();
        openAfterEscape = t.isVisible();
        // Some keyboards' Escape comes without its character: it is the same key.
        typeInto(keys, number.left(4));
        windowsystem::queueKey(keys, Qt::Key_Escape, QString());
        deliver();
        afterEscape += t.LCD991->Value();
        openAfterEscape = openAfterEscape && t.isVisible();
        typeInto(keys, number);
        answered = t.Image1->isVisible();
    };
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F4);
    EXPECT_EQ(afterEscape, QString());
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(answered);
    EXPECT_TRUE(timeline.events.contains(QStringLiteral("clip ringon background")));
}
