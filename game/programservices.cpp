#include "programservices.h"

#include "accessiblegame.h"
#include "classrules.h"
#include "gamesettings.h"
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

Result<QUrl> ClassServerUrl(const QString &typed, const QString &where)
{
    using R = Result<QUrl>;
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return R::failure(QStringLiteral("Сервер класса назван, но его адрес пуст (%1). Игра не начнётся: "
                                         "обратитесь к учителю.").arg(where));
    // A teacher writes "10.0.0.5:8080" as readily as the whole address.
    const QUrl url(text.contains(QLatin1String("://")) ? text : QStringLiteral("http://") + text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return R::failure(QStringLiteral("Адрес сервера класса «%1» (%2) не понят: нужен адрес вида "
                                         "http://10.0.0.5:8080/. Игра не начнётся: обратитесь к учителю.")
                              .arg(text, where));
    QUrl server = url;
    if (!server.path().endsWith(QLatin1Char('/')))
        server.setPath(server.path() + QLatin1Char('/'));
    return R::success(server);
}

ProgramServices::ProgramServices(const QString &programFolder, QSize screen, const QString &soundModule,
                                 const QString &serviceFile, const std::optional<QString> &classServer)
    : m_programFolder(programFolder)
    , m_screen(screen)
    , m_sound(m_pacer, soundModule)
    , m_random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()))
{
    // The command line names the class server before the settings do; either way the lab
    // machine then keeps no journal and asks no school's server: the class server does both.
    const std::optional<QString> named = classServer ? classServer : ReadGameSettings(programFolder).classServer;
    if (named) {
        m_classMode = true;
        const Result<QUrl> url = ClassServerUrl(*named, classServer ? QStringLiteral("--class")
                                                                    : QStringLiteral("tallory.ini, [класс] Адрес="));
        if (url.ok())
            m_classServer = url.value;
        else
            m_classProblem = url.error;
        return;
    }
    m_journal = std::make_unique<JournalThread>(programFolder, ThisMachineName());
    const QString service = ServerServiceOf(programFolder);
    if (!service.isEmpty()) {
        // Whatever the student's own session says of PostgreSQL (a host, TLS, a password file)
        // would be his way round the school's guard.
        ForgetPostgresEnvironment();
        m_school = std::make_unique<SchoolServer>(service, *m_journal, SchoolServer::kGuardWaitMs, serviceFile);
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
    s.recorder = m_journal.get();
    if (m_school)
        m_school->serve(s);
    if (m_classMode && m_classProblem.isEmpty()) {
        const QUrl server = m_classServer;
        const QString folder = m_programFolder;
        s.classRules = [server, folder](const RulesHooks &hooks) { return MakeClassRules(server, folder, hooks); };
    }
    s.classProblem = m_classProblem;
    s.terminate = [] { QCoreApplication::exit(0); };
    s.openLink = &OpenLink;
    s.browse = &BrowseIllustration;
    s.audience = &ShowAudienceChart;
    s.programFolder = m_programFolder;
    s.screen = m_screen;
    return s;
}
