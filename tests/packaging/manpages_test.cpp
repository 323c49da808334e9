// The manual pages of the five commands, as man and lintian read them: roff without a single
// warning, a NAME line that whatis understands, and every option the program's own help names.

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

struct Command
{
    const char *name;
    const char *program;
};

const Command kCommands[] = {{"tallory", TALLORY_GAME},
                            {"tallory-teacher", TALLORY_TEACHER},
                            {"tallory-bank", TALLORY_BANK},
                            {"tallory-results", TALLORY_RESULTS},
                            {"tallory-class", TALLORY_CLASS}};

QString pagePath(const Command &command)
{
    return QStringLiteral(TALLORY_MAN_DIR "/%1.1").arg(QString::fromLatin1(command.name));
}

struct Ran
{
    int status = -1;
    QString out;
    QString err;
};

// Without a display, as man, lintian and a terminal over ssh run them.
Ran run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(ManPages, AreWarningFreeRoffWithAWhatisLine)
{
    for (const Command &command : kCommands) {
        const QString page = pagePath(command);
        const Ran groff = run(QStringLiteral("groff"), {QStringLiteral("-ww"), QStringLiteral("-z"), QStringLiteral("-k"),
                                                        QStringLiteral("-Tutf8"), QStringLiteral("-man"), page});
        EXPECT_EQ(groff.status, 0) << command.name;
        EXPECT_EQ(groff.err.toStdString(), std::string()) << command.name;
        const Ran whatis = run(QStringLiteral("lexgrog"), {page});
        EXPECT_EQ(whatis.status, 0) << command.name << whatis.out.toStdString();
        EXPECT_TRUE(whatis.out.contains(QStringLiteral("\"%1 - ").arg(QString::fromLatin1(command.name))))
            << whatis.out.toStdString();
    }
}

TEST(ManPages, NameEveryOptionOfTheProgramsHelp)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--([a-z][a-z-]*)"));
    for (const Command &command : kCommands) {
        const Ran help = run(QString::fromLatin1(command.program), {QStringLiteral("--help")});
        ASSERT_EQ(help.status, 0) << command.name << help.err.toStdString();
        QFile file(pagePath(command));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << command.name;
        const QString page = QString::fromUtf8(file.readAll());
        QSet<QString> named;
        for (const QRegularExpressionMatch &m : option.globalMatch(help.out))
            named.insert(m.captured(1));
        named.remove(QStringLiteral("help-all")); // Qt's own, about Qt's options
        EXPECT_TRUE(named.contains(QStringLiteral("version"))) << command.name << help.out.toStdString();
        for (const QString &name : named) {
            const QString roff = QStringLiteral("\\-\\-") + QString(name).replace(QLatin1Char('-'), QStringLiteral("\\-"));
            EXPECT_TRUE(page.contains(roff)) << command.name << ": --" << name.toStdString();
        }
    }
}

// What the pages once said wrongly about the programs, each beside what they do.
TEST(ManPages, SayWhatTheProgramsDo)
{
    struct Claim {
        const char *page;
        const char *says;
        const char *never;
    } claims[] = {
        {"tallory", "Сетевую папку класса она не наполняет никогда", "папку, в которой ещё нет настроек, она наполняет"},
        {"tallory", "нет файла настроек tallory.ini", "Если папки данных нет (сетевая папка класса не подключена)"},
        {"tallory", "/etc/postgresql\\-common/pg_service.conf", "~/.pgpass ученика читает"},
        {"tallory-teacher", "четыре вкладки", "три вкладки"},
        {"tallory-teacher", ".B Анализ", nullptr},
        {"tallory-teacher", "читают записи и ответы всей школы с сервера", nullptr},
        {"tallory-results", "загружаются так же, каждая строка один", "пока не загружаются"},
        {"tallory-results", "list \\-\\-server tallory \\-\\-csv", "\\-\\-server tallory\\-teacher"},
    };
    for (const Claim &claim : claims) {
        QFile file(QStringLiteral(TALLORY_MAN_DIR "/%1.1").arg(QString::fromLatin1(claim.page)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << claim.page;
        const QString page = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(page.contains(QString::fromUtf8(claim.says))) << claim.page << ": " << claim.says;
        if (claim.never)
            EXPECT_FALSE(page.contains(QString::fromUtf8(claim.never))) << claim.page << ": " << claim.never;
    }
}

// Installed, the game and the workbench are started with the folder folder.conf names.
TEST(ManPages, FolderOptionsHelpNamesTheInstalledDefault)
{
    for (const char *program : {TALLORY_GAME, TALLORY_TEACHER}) {
        const Ran help = run(QString::fromLatin1(program), {QStringLiteral("--help")});
        ASSERT_EQ(help.status, 0) << program;
        EXPECT_TRUE(help.out.simplified().contains(QStringLiteral("/etc/tallory/folder.conf"))) << help.out.toStdString();
        EXPECT_FALSE(help.out.contains(QStringLiteral("(по умолчанию папка программы)"))) << help.out.toStdString();
    }
}
