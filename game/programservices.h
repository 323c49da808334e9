#pragma once
// The real services of the game window and the application's look, made in one place so that
// the program and the start-up benchmark run exactly the same start.

#include "errorbox.h"
#include "formservices.h"
#include "journalthread.h"
#include "pacer.h"
#include "qtsoundbackend.h"
#include "randomsource.h"
#include "schoolserver.h"
#include "windowbanners.h"

/// Application-wide settings made once, right after the application object: title, version,
/// icon and style.
void PrepareApplication(const QString &version);

/// The pacer, the sound, the boxes, the banners, the clock-seeded chance and this machine's
/// journal of a running program, and, where tallory.ini names the school's server, the sender of
/// the journal's outbox and the server's attempt guard. Lives as long as the window it serves.
class ProgramServices
{
public:
    /// soundModule: where the sound output module lies; empty for next to the executable.
    /// serviceFile: where the school's server's service is described (the system's file; tests
    /// name their own).
    ProgramServices(const QString &programFolder, QSize screen, const QString &soundModule = QString(),
                    const QString &serviceFile = SystemServiceFile());

    /// The services to hand to the window.
    FormServices services();

private:
    QString m_programFolder;
    QSize m_screen;
    EventLoopPacer m_pacer;
    QtSoundBackend m_sound;
    QtDialogs m_dialogs;
    WindowBanners m_banners;
    SeededRandom m_random;
    // Made only where a server is named: no driver is loaded and no thread started otherwise.
    // Declared before the journal, so that it goes after it: the journal's writer pokes the
    // sender until the journal has written what was left queued.
    std::unique_ptr<SchoolServer> m_school;
    JournalThread m_journal;
};
