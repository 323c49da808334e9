// The program entry: the application, the main window and its services, the message loop.

#include "files.h"
#include "programservices.h"
#include "tform1.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char **argv)
{
    // No Qt::AA_ShareOpenGLContexts here, although the browser engine asks for it: with it the
    // application makes a GL context as it starts, which maps the GL driver (on a machine
    // without a GPU, Mesa's software renderer and libLLVM) and triples the memory of a game
    // that may never show a web page. The illustration pane loads the engine late and lets it
    // draw in software; see game/illustrationpane.cpp.
    QApplication app(argc, argv);
    PrepareApplication(QStringLiteral(TALLORY_VERSION));

    ProgramServices services(ProgramFolder(), QGuiApplication::primaryScreen()->size());
    TForm1 form(services.services());
    form.showFullScreen();
    return QApplication::exec();
}
