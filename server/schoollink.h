#pragma once
// The school's server as a game uses it, for one machine's journal file: a sender that empties
// the journal's outbox off the game's thread, and the attempt guard every start asks. The
// desktop game hands it its one journal; the class server every game's.

#include "attemptguard.h"
#include "serverconnection.h"
#include "serverlink.h"
#include "tablerow.h"

#include <QString>

class SchoolLink
{
public:
    /// For the journal at journalPath, to the libpq service described in serviceFile (empty:
    /// wherever libpq looks); the sender is poked at once, for what an earlier run left in the
    /// outbox. guardWaitMs bounds a student's wait at a start.
    SchoolLink(const QString &service, const QString &journalPath, int guardWaitMs, const QString &serviceFile);

    /// Every row journal writes goes to its outbox too, and pokes the sender; a row it cannot
    /// write (a damaged, read-only, locked or full journal) goes straight from memory. The
    /// journal calls these until it is gone: it goes before this. Journal: a GameJournal or a
    /// JournalThread.
    template <class Journal>
    void serve(Journal &journal)
    {
        journal.keepOutbox([link = &m_link] { link->poke(); });
        journal.sendUnjournaled([link = &m_link](const QString &table, const TableRow &row) { link->sendDirect(table, row); });
    }

    ServerLink &link() { return m_link; }
    ServerAttemptGuard &guard() { return m_guard; }

private:
    static ServerLinkOptions linkOptions(const QString &serviceFile);

    ServerLink m_link;
    ServerAttemptGuard m_guard;
};
