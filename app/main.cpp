// The program entry: the application, the main window and its services, the message loop.

#include "errorbox.h"
#include "files.h"
#include "illustrationpane.h"
#include "lazyiconstyle.h"
#include "pacer.h"
#include "qtsoundbackend.h"
#include "randomsource.h"
#include "tform1.h"
#include "windowbanners.h"
#include "links.h"
#include "pictures.h"

#include <QApplication>
#include <QDateTime>
#include <QIcon>
#include <QScreen>

int main(int argc, char **argv)
{
    // The illustration pane shares its rendering context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The standard style, but the menu bar's overflow icon is read the first time it is shown.
    QApplication::setStyle(new LazyIconStyle);
    QApplication::setApplicationName(QStringLiteral("Таллори!"));
    QApplication::setApplicationDisplayName(QStringLiteral("Таллори!"));
    QApplication::setApplicationVersion(QStringLiteral(TALLORY_VERSION));

    // The emblem is the program's icon, drawn in the corner of every banner as well.
    QApplication::setWindowIcon(QIcon(BuiltinPicture(QStringLiteral("WAYS"))));

    EventLoopPacer pacer;
    QtSoundBackend sound(pacer);
    QtDialogs dialogs;
    WindowBanners banners;
    SeededRandom random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));

    FormServices services;
    services.pacer = &pacer;
    services.sound = &sound;
    services.dialogs = &dialogs;
    services.banners = &banners;
    services.random = &random;
    services.terminate = [] { QCoreApplication::exit(0); };
    services.openLink = &OpenLink;
    services.browse = &BrowseIllustration;
    services.programFolder = ProgramFolder();
    services.screen = QGuiApplication::primaryScreen()->size();

    TForm1 form(services);
    form.showFullScreen();
    return QApplication::exec();
}
