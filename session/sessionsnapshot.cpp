#include "gamesession.h"

#include "faq.h"
#include "gamesettings.h"

SessionSnapshot GameSession::snapshot() const
{
    return {m_state, m_bankPath, m_bankName, m_shown, m_blanked};
}

// The question on screen comes back as it was, whatever became of the bank meanwhile; the bank
// is read again for the questions still to come, and the settings as a start reads them.
Status GameSession::restore(const SessionSnapshot &snapshot)
{
    m_settings = ReadGameSettings(m_folder);
    m_state = snapshot.state;
    m_shown = snapshot.shown;
    m_blanked = snapshot.blanked;
    m_bankPath = snapshot.bankPath;
    m_bankName = snapshot.bankName;
    m_levelLines.clear();
    auto loaded = LoadBankFile(m_bankPath);
    if (!loaded.ok())
        return Status::failure(loaded.error);
    m_bank = std::move(loaded.value);
    return Status::success();
}
