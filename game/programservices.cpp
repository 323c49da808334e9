#include "programservices.h"

#include "accessiblegame.h"
#include "accessiblewidgets.h"
#include "illustrationpane.h"
#include "journalfiles.h"
#include "lazyiconstyle.h"
#include "links.h"
#include "pictures.h"
#include "qttranslations.h"
#include "serverconnection.h"

#include <QApplication>
#include <QDateTime>
#include <QIcon>

void PrepareApplication(const QString &version)
{
    // The standard style, but the menu bar's overflow icon is read the first time it is shown.
    QApplication::setStyle(new LazyIconStyle);
    // The name only: a display name set as well would be added by the window system to every
    // title ("Ошибка — Таллори!"), and the boxes' captions are the program's own texts.
    QApplication::setApplicationName(QStringLiteral("Таллори!"));
    QApplication::setApplicationVersion(version);
    InstallRussianQtTranslations();
    // Our painted controls tell a screen reader what they are, as Qt's own do.
    InstallAccessibleWidgets();
    InstallGameAccessibility();
    // The emblem is the program's icon, drawn in the corner of every banner as well.
    QApplication::setWindowIcon(QIcon(BuiltinPicture(QStringLiteral("WAYS"))));
}

ProgramServices::ProgramServices(const QString &programFolder, QSize screen, const QString &soundModule,
                                 const QString &serviceFile)
    : m_programFolder(programFolder)
    , m_screen(screen)
    , m_sound(m_pacer, soundModule)
    , m_random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()))
    , m_journal(programFolder, ThisMachineName())
{
    const QString service = ServerServiceOf(programFolder);
    if (!service.isEmpty()) {
        // Whatever the student's own session says of PostgreSQL (a host, TLS, a password file)
        // would be his way round the school's guard.
        ForgetPostgresEnvironment();
        m_school = std::make_unique<SchoolServer>(service, m_journal, SchoolServer::kGuardWaitMs, serviceFile);
    }
}

FormServices ProgramServices::services()
{
    FormServices s;
    s.pacer = &m_pacer;
    s.sound = &m_sound;
    s.dialogs = &m_dialogs;
    s.banners = &m_banners;
    s.random = &m_random;
    s.recorder = &m_journal;
    if (m_school)
        m_school->serve(s);
    s.terminate = [] { QCoreApplication::exit(0); };
    s.openLink = &OpenLink;
    s.browse = &BrowseIllustration;
    s.audience = &ShowAudienceChart;
    s.programFolder = m_programFolder;
    s.screen = m_screen;
    return s;
}
