// The game's side of the start-up benchmark: the main window built and shown the way the
// program entry does it, with the real services, on the program folder given as the only
// argument (a copy the driver made, since the window tidies that folder as it starts).

#include "startupprobe.h"

#include "programservices.h"
#include "tform1.h"

#include <QApplication>
#include <QDir>

#include <algorithm>

int main(int argc, char **argv)
{
    const double atMain = startup::msSinceLaunch();
    if (argc != 2) {
        std::fprintf(stderr, "usage: startup_probe_game PROGRAM-FOLDER\n");
        return 2;
    }
    // As the program entry: no shared GL context made at start-up.
    QApplication app(argc, argv);
    PrepareApplication(QStringLiteral("probe"));

    // The program's sound module, in the program folder as built: the probe lives elsewhere.
    ProgramServices services(QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/'),
                             QSize(1024, 768), QStringLiteral(TALLORY_BIN_DIR "/tallory_sound"));
    TForm1 form(services.services());
    // The browser pane is made on the first illustration only: a window that has just started
    // must have no view, and the engine must not have started its threads or helpers. Views
    // are found by class name, so that the probe itself needs nothing of the engine.
    startup::FirstPaint watch(&form, [&form] {
        const QList<QWidget *> all = form.findChildren<QWidget *>();
        const auto views = std::count_if(all.begin(), all.end(), [](QWidget *w) { return w->inherits("QWebEngineView"); });
        startup::say("webviews", QByteArray::number(views));
    });
    form.showFullScreen();

    startup::sayMs("main", atMain);
    startup::sayMs("shown", startup::msSinceLaunch());
    return QApplication::exec();
}
