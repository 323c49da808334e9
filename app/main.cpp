// The program entry: the application, the main window and its services, the message loop.

#include "files.h"
#include "programservices.h"
#include "tform1.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char **argv)
{
    // The illustration pane shares its rendering context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    PrepareApplication(QStringLiteral(TALLORY_VERSION));

    ProgramServices services(ProgramFolder(), QGuiApplication::primaryScreen()->size());
    TForm1 form(services.services());
    form.showFullScreen();
    return QApplication::exec();
}
