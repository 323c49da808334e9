// The lifeline commands. Each is enabled for a game and turned off once used.

#include "tform1.h"

#include "accessiblegame.h"
#include "announcer.h"
#include "audience.h"
#include "audiencepane.h"
#include "classanswers.h"
#include "counters.h"
#include "cp1251.h"
#include "dialogs.h"
#include "fiftyfifty.h"
#include "files.h"
#include "friendcall.h"
#include "gradbtn.h"
#include "inifile.h"
#include "telform.h"

#include <QAction>
#include <QFrame>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kAudienceTicks = 10;
const QSize kAudiencePanel(242, 186);
constexpr int kAudiencePanelTop = 56;
// The longest the class's answers are looked for once the button is pressed; journals not read
// by then are left out. With the journals' lookup indexes, 30 journals of a million answers in
// all take 20 to 40 ms; a share on the network may be slower, and the chart must not wait.
constexpr int kClassLookupMs = 150;
} // namespace

bool TForm1::questionOnScreen() const
{
    return !m_busy && Game.CurrentLevel >= 1 && Game.CurrentLevel <= kLevels;
}

void TForm1::N50501Click()
{
    if (!questionOnScreen() || !N50501->isEnabled())
        return;
    hideAudience();
    Wave("50x50");
    const std::array<int, 2> blanks = FiftyFiftyBlanks(Game.CorrectButton, *m_services.random);
    for (const int k : blanks) {
        FaqBtn[static_cast<size_t>(k)]->setCaption(QString());
        // Blank on the screen; a reader still names the place, and hears it cannot be pressed.
        FaqBtn[static_cast<size_t>(k)]->setAccessibleName(QStringLiteral("%1. ответ убран").arg(QChar(u'A' + k - 1)));
    }
    recorder().fiftyFiftyUsed(blanks);
    m_announcer->announce(FiftyFiftyAnnouncement(blanks));
    N50501->setEnabled(false);
    SL1->setEnabled(false);
    MarkLifelineUsed(N50501, SL1, true);
}

void TForm1::N4Click()
{
    if (!questionOnScreen() || !N4->isEnabled())
        return;
    Game.PhaseTicks = 0;
    Game.PhaseLength = kAudienceTicks;
    Panel2->setGeometry(QRect(QPoint((m_services.screen.width() - kAudiencePanel.width()) / 2, kAudiencePanelTop),
                              kAudiencePanel));
    Panel2->raise();
    Panel2->show();
    std::array<QString, 5> captions;
    for (size_t tag = 1; tag <= 4; ++tag)
        captions[tag] = FaqBtn[tag]->Caption();
    const std::array<int, 5> votes = audienceVotes(captions);
    recorder().audienceAsked(votes);
    N4->setEnabled(false);
    SL3->setEnabled(false);
    MarkLifelineUsed(N4, SL3, true);
    const QList<AudienceBar> bars = AudienceBars(votes, captions);
    // The chart is a picture; a reader reads its marks as text.
    Panel2->setAccessibleDescription(AudienceMarks(bars).join(QStringLiteral(", ")));
    m_announcer->announce(AudienceAnnouncement(AudienceMarks(bars)));
    if (m_services.audience)
        m_services.audience(Panel2, bars);
    Wave("zal");
    if (!Timer2->isActive())
        Timer2->start();
}

std::array<int, 5> TForm1::audienceVotes(const std::array<QString, 5> &captions)
{
    if (const auto votes = classVotes(captions))
        return *votes;
    return AudienceVotes(Game.CorrectButton, *m_services.random);
}

// Off unless the settings say "Зал=класс": the audience then shows how this lesson's students
// answered the question on screen, as the journals of every machine in the program folder hold
// it. The bank's answers are counted on the buttons that show them now. After fifty-fifty the
// two answers left share the fifty votes between them, as the poll's marks do.
std::optional<std::array<int, 5>> TForm1::classVotes(const std::array<QString, 5> &captions)
{
    const QByteArray hall = IniReadString(SettingsFilePath(m_services.programFolder), cp1251::text(u"настройки"),
                                          cp1251::text(u"Зал"), {});
    if (!cp1251::equalsNoCase(hall, cp1251::text(u"класс")) || m_shown.order.size() != 4)
        return std::nullopt;
    const ClassAnswers given = GatherClassAnswers(m_services.programFolder, cp1251::decode(Game.LessonCode),
                                                  m_shown.line, kClassLookupMs);
    if (given.total() < kClassAnswersNeeded)
        return std::nullopt;
    std::array<int, 5> onButton{};
    for (size_t tag = 1; tag <= 4; ++tag) {
        const int bankAnswer = m_shown.order[static_cast<qsizetype>(tag - 1)] - '0';
        if (!captions[tag].isEmpty() && bankAnswer >= 1 && bankAnswer <= 4)
            onButton[tag] = given.chosen[static_cast<size_t>(bankAnswer)];
    }
    // The class chose only answers fifty-fifty has taken away: it has nothing to say on these two.
    if (onButton[1] + onButton[2] + onButton[3] + onButton[4] == 0)
        return std::nullopt;
    return VotesFromAnswers(onButton);
}

void TForm1::N5Click()
{
    if (!questionOnScreen() || !N5->isEnabled())
        return;
    hideAudience();
    ResImage(QStringLiteral("ways"), QString());
    Wave("btnclick");
    const auto storedFriend = RegReadInteger(kCounterSection, cp1251::text(u"Друг"), 0);
    const auto storedPhrase = RegReadInteger(kCounterSection, cp1251::text(u"Фраза"), 0);
    if (!storedFriend.ok() || !storedPhrase.ok())
        return failure(storedFriend.ok() ? storedPhrase.error : storedFriend.error);
    FriendCounters call = NextFriendCounters(storedFriend.value, storedPhrase.value);
    Status stored = RegWriteInteger(kCounterSection, cp1251::text(u"Друг"), call.friendIndex);
    if (stored.ok())
        stored = RegWriteInteger(kCounterSection, cp1251::text(u"Фраза"), call.phraseIndex);
    if (!stored.ok())
        return failure(stored.error);

    const QByteArray correctCaption =
        cp1251::encode(FaqBtn[static_cast<size_t>(Game.CorrectButton)]->Caption()).value_or(QByteArray());
    const QByteArray reply =
        FriendReply(call.friendIndex, call.phraseIndex, Game.CorrectButton, correctCaption, Game.AnswerTexts);
    const QByteArray number =
        DialNumber(call.friendIndex, call.phraseIndex, Game.CorrectButton, Game.CurrentLevel, Game.SecuredPoints);
    recorder().friendCalled(reply);
    TTelform *window = Telform();
    window->PrepareCall(call.friendIndex, QString::fromLatin1(number), cp1251::decode(reply), m_services.screen);
    m_services.dialogs->showModal(*window);
    releaseAnswerFocus(); // the Enter that hangs up may come twice
    N5->setEnabled(false);
    SL2->setEnabled(false);
    MarkLifelineUsed(N5, SL2, true);
}
