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

#include <QUrl>

#include <memory>
#include <optional>

/// Application-wide settings made once, right after the application object: title, version,
/// icon and style.
void PrepareApplication(const QString &version);

/// The class server's address as typed (in tallory.ini or on the command line, said by where):
/// with "http://" added where no scheme is typed. An error in Russian naming what and where when
/// it is blank or not an address of a server.
Result<QUrl> ClassServerUrl(const QString &typed, const QString &where);

/// The pacer, the sound, the boxes, the banners, the clock-seeded chance and this machine's
/// journal of a running program, and, where tallory.ini names the school's server, the sender of
/// the journal's outbox and the server's attempt guard. Lives as long as the window it serves.
/// In class mode (tallory.ini's "[класс] Адрес", or classServer) there is no journal and no
/// school's server: the rules are the class server's, and it keeps every record.
class ProgramServices
{
public:
    /// soundModule: where the sound output module lies; empty for next to the executable.
    /// serviceFile: where the school's server's service is described (the system's file; tests
    /// name their own). classServer: the class server named on the command line, before the
    /// settings' own.
    ProgramServices(const QString &programFolder, QSize screen, const QString &soundModule = QString(),
                    const QString &serviceFile = SystemServiceFile(),
                    const std::optional<QString> &classServer = std::nullopt);

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
    bool m_classMode = false;
    QUrl m_classServer;     ///< the class server's address, in class mode
    QString m_classProblem; ///< why the class server named cannot be asked
    // Made only where a server is named: no driver is loaded and no thread started otherwise.
    // Declared before the journal, so that it goes after it: the journal's writer pokes the
    // sender until the journal has written what was left queued.
    std::unique_ptr<SchoolServer> m_school;
    std::unique_ptr<JournalThread> m_journal; ///< none in class mode
};
