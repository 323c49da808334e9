#include "earlycommandline.h"

#include "qttranslations.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// The names QCommandLineParser gives its own help and version options.
bool asksAboutTheProgram(const QCommandLineParser &parser)
{
    static const QStringList questions{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("help-all"),
                                       QStringLiteral("v"), QStringLiteral("version")};
    for (const QString &name : parser.optionNames()) {
        if (questions.contains(name))
            return true;
    }
    return false;
}

} // namespace

void AnswerCommandLineBeforeWindows(int &argc, char **argv, const DescribeCommandLine &describe)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    {
        QCommandLineParser parser;
        describe(parser);
        if (!parser.parse(arguments) || !asksAboutTheProgram(parser))
            return;
    }
    // Only now an application, for the translations and the program's name in the usage line.
    // The options are described again once the translations are in: Qt words its help and
    // version options as they are added. process() prints the answer and ends the program.
    QCoreApplication app(argc, argv);
    InstallRussianQtTranslations();
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);
}
