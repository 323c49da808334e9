// The lifeline commands. Each is enabled for a game and turned off once used; what each gives
// (the answers blanked, the votes, the friend's call) the session decides, the window shows.

#include "tform1.h"

#include "accessiblegame.h"
#include "announcer.h"
#include "audience.h"
#include "audiencepane.h"
#include "cp1251.h"
#include "dialogs.h"
#include "gamesession.h"
#include "gradbtn.h"
#include "telform.h"

#include <QAction>
#include <QFrame>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <numeric>

namespace {
constexpr int kAudienceTicks = 10;
const QSize kAudiencePanel(242, 186);
constexpr int kAudiencePanelTop = 56;
} // namespace

bool TForm1::questionOnScreen() const
{
    return !m_busy && m_rules->questionOpen();
}

void TForm1::N50501Click()
{
    if (!questionOnScreen() || !N50501->isEnabled())
        return;
    const Sequence sequence(*this);
    hideAudience();
    Wave("50x50");
    const std::array<int, 2> blanks = m_rules->fiftyFifty();
    if (gone())
        return;
    // Rules on a class server may refuse (the server thinks a call is still on): nothing was
    // taken away there, so nothing is here, and the lifeline stays to be used.
    if (std::any_of(blanks.begin(), blanks.end(), [](int k) { return k < 1 || k > 4; }))
        return;
    for (const int k : blanks) {
        FaqBtn[static_cast<size_t>(k)]->setCaption(QString());
        // Blank on the screen; a reader still names the place, and hears it cannot be pressed.
        FaqBtn[static_cast<size_t>(k)]->setAccessibleName(QStringLiteral("%1. ответ убран").arg(QChar(u'A' + k - 1)));
    }
    m_announcer->announce(FiftyFiftyAnnouncement(blanks));
    N50501->setEnabled(false);
    SL1->setEnabled(false);
    MarkLifelineUsed(N50501, SL1, true);
}

void TForm1::N4Click()
{
    if (!questionOnScreen() || !N4->isEnabled())
        return;
    const Sequence sequence(*this);
    Game.PhaseTicks = 0;
    Game.PhaseLength = kAudienceTicks;
    Panel2->setGeometry(QRect(QPoint((m_services.screen.width() - kAudiencePanel.width()) / 2, kAudiencePanelTop),
                              kAudiencePanel));
    Panel2->raise();
    Panel2->show();
    std::array<QString, 5> captions;
    for (size_t tag = 1; tag <= 4; ++tag)
        captions[tag] = FaqBtn[tag]->Caption();
    const std::array<int, 5> votes = m_rules->askAudience();
    if (gone())
        return;
    // No vote at all is a poll the class server refused: no chart, and the lifeline stays.
    if (std::accumulate(votes.begin() + 1, votes.end(), 0) == 0) {
        hideAudience();
        return;
    }
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

void TForm1::N5Click()
{
    if (!questionOnScreen() || !N5->isEnabled())
        return;
    const Sequence sequence(*this);
    hideAudience();
    ResImage(QStringLiteral("ways"), QString());
    Wave("btnclick");
    const Result<FriendCall> call = m_rules->phoneFriend();
    if (gone())
        return;
    if (!call.ok())
        return failure(call.error);
    TTelform *window = Telform();
    // The friend answers the number dialled through the rules: in class mode the reply comes
    // from the server only then.
    const auto dial = [this](const QString &digits) -> std::optional<QString> {
        const std::optional<QByteArray> reply = m_rules->dial(digits.toLatin1());
        if (gone()) {
            m_telform->close();
            return std::nullopt;
        }
        return reply ? std::optional<QString>(cp1251::decode(*reply)) : std::nullopt;
    };
    window->PrepareCall(call.value.friendIndex, QString::fromLatin1(call.value.number), dial, m_services.screen);
    m_services.dialogs->showModal(*window);
    releaseAnswerFocus(); // the Enter that hangs up may come twice
    N5->setEnabled(false);
    SL2->setEnabled(false);
    MarkLifelineUsed(N5, SL2, true);
}
