// tallory-teacher: the teacher's workbench, working on the program folder it stands in or on
// the one named by --folder.

#include "accessiblewidgets.h"
#include "earlycommandline.h"
#include "programfolder.h"
#include "prompts.h"
#include "qttranslations.h"
#include "teacherwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <cstdio>

namespace {

void describeCommandLine(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Таллори! Мастерская учителя: вопросники, занятия и результаты."));
    parser.addHelpOption();
    parser.addVersionOption();
    AddFolderOption(parser);
    parser.addPositionalArgument(QStringLiteral("вопросник"), QStringLiteral("Вопросник или текст вопросов, который открыть."),
                                 QStringLiteral("[вопросник]"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quarnel"));
    QCoreApplication::setApplicationName(QStringLiteral("tallory-teacher"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLORY_VERSION));
    AnswerCommandLineBeforeWindows(argc, argv, &describeCommandLine);

    QApplication app(argc, argv);
    InstallRussianQtTranslations();
    InstallAccessibleWidgets();

    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);

    const auto folder = ProgramFolderFromArguments(parser);
    if (!folder.ok()) {
        // Said in the terminal or the session's log too, where a launcher's failure is looked for.
        std::fprintf(stderr, "tallory-teacher: %s\n", folder.error.toLocal8Bit().constData());
        QMessageBox::critical(nullptr, QStringLiteral("Мастерская учителя"), folder.error);
        return 1;
    }

    DialogPrompts prompts;
    TeacherWindow window(folder.value, &prompts);
    if (!parser.positionalArguments().isEmpty())
        window.openBank(parser.positionalArguments().constFirst());
    window.show();
    return QApplication::exec();
}
