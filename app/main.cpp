// The program entry: the application, the main window and its services, the message loop.

#include "earlycommandline.h"
#include "programfolder.h"
#include "programservices.h"
#include "recordgroup.h"
#include "tform1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QScreen>

#include <cstdio>

namespace {

// "--folder PATH": an installed game keeps its data in a folder of the school's choosing.
// "--class URL": the lessons are played from the class server at URL, as tallory.ini's
// "[класс] Адрес=" asks.
void describeCommandLine(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Таллори! — игра-экзамен."));
    parser.addHelpOption();
    parser.addVersionOption();
    AddFolderOption(parser);
    parser.addOption(QCommandLineOption(QStringLiteral("class"),
                                        QStringLiteral("Играть занятия с сервера класса по этому адресу "
                                                       "(например, http://10.0.0.5:8080/): вопросники и "
                                                       "результаты остаются на сервере."),
                                        QStringLiteral("URL")));
    parser.addOption(QCommandLineOption(QStringLiteral("large"),
                                        QStringLiteral("Крупный шрифт: тексты и кнопки игры крупнее, насколько позволяет экран.")));
}

} // namespace

int main(int argc, char **argv)
{
    // Before anything reads the environment: an installed game started with the group of the
    // records keeps it only for its writes to them.
    EnterRecordKeeping();
    QCoreApplication::setApplicationName(QStringLiteral("Таллори!"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLORY_VERSION));
    AnswerCommandLineBeforeWindows(argc, argv, &describeCommandLine);

    // No Qt::AA_ShareOpenGLContexts here, although the browser engine asks for it: with it the
    // application makes a GL context as it starts, which maps the GL driver (on a machine
    // without a GPU, Mesa's software renderer and libLLVM) and triples the memory of a game
    // that may never show a web page. The illustration pane loads the engine late and lets it
    // draw in software; see game/illustrationpane.cpp.
    QApplication app(argc, argv);
    PrepareApplication(QStringLiteral(TALLORY_VERSION));

    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);
    const Result<QString> folder = ProgramFolderFromArguments(parser);
    if (!folder.ok()) {
        // Said in the terminal or the session's log too, where a launcher's failure is looked for.
        std::fprintf(stderr, "tallory: %s\n", folder.error.toLocal8Bit().constData());
        QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), folder.error);
        return 1;
    }

    KeepRecordsOnlyFor(folder.value);

    const QString classOption = QStringLiteral("class");
    ProgramServices services(folder.value, QGuiApplication::primaryScreen()->size(), QString(), SystemServiceFile(),
                             parser.isSet(classOption) ? std::optional<QString>(parser.value(classOption)) : std::nullopt);
    FormServices formServices = services.services();
    formServices.largePrint = parser.isSet(QStringLiteral("large"));
    formServices.folderNamed = parser.isSet(QStringLiteral("folder"));
    TForm1 form(formServices);
    form.showFullScreen();
    return QApplication::exec();
}
