#include "gamejournal.h"

// A game's rows go on in the same journal game from one run of the program to the next: the
// time a question was on screen counts on, from where it stood, on the new run's steady clock.
GameJournal::Place GameJournal::place() const
{
    Place p{m_gameId, m_lesson, m_student, direct(), std::nullopt, 0, 0, {}, std::nullopt, {}, {}};
    if (m_pending) {
        p.shown = m_pending->shown;
        p.shownMs = m_pending->shownMs;
        p.shownAgoMs = m_clock.steadyMs() - m_pending->shownSteady;
        p.fiftyBlanked = m_pending->fiftyBlanked;
        p.votes = m_pending->votes;
        p.friendReply = m_pending->friendReply;
        p.tease = m_pending->tease;
    }
    return p;
}

void GameJournal::goOn(const Place &p)
{
    m_gameId = p.gameId;
    m_lesson = p.lesson;
    m_student = p.student;
    m_failover = std::make_shared<Failover>(Failover{m_send, m_store->machine(), m_clock.wallMs, p.direct});
    m_pending.reset();
    // The file is opened as a game's start opens it; where it cannot be, the rows go straight to
    // the school's server, as a start's would.
    if (!m_gameId.isEmpty() && !direct() && !m_store->open() && m_send)
        m_failover->direct = true;
    if (p.shown && !p.gameId.isEmpty())
        m_pending = Pending{*p.shown,       p.shownMs, m_clock.steadyMs() - p.shownAgoMs, p.fiftyBlanked,
                            p.votes,        p.friendReply, p.tease};
}
