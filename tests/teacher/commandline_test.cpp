// The workbench started as a teacher starts it from a terminal or a menu entry.

#include "teacherhelp.h"
#include "teachertest.h"
#include "teacherwindow.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <memory>

#include <gtest/gtest.h>

namespace {

QProcess *run(const QStringList &arguments)
{
    auto *p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p->setProcessEnvironment(env);
    p->start(QStringLiteral(TALLORY_TEACHER), arguments);
    return p;
}

// The environment of a terminal over ssh, or of a package check: no window system at all.
QProcess *runWithoutDisplay(const QStringList &arguments)
{
    auto *p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p->setProcessEnvironment(env);
    p->start(QStringLiteral(TALLORY_TEACHER), arguments);
    return p;
}

} // namespace

TEST(TeacherCommandLine, HelpAndVersionNeedNoDisplay)
{
    std::unique_ptr<QProcess> help(runWithoutDisplay({QStringLiteral("--help")}));
    ASSERT_TRUE(help->waitForFinished(30000));
    EXPECT_EQ(help->exitStatus(), QProcess::NormalExit) << help->readAllStandardError().toStdString();
    EXPECT_EQ(help->exitCode(), 0);
    const QString text = QString::fromUtf8(help->readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("--folder"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Мастерская учителя"))) << text.toStdString();

    std::unique_ptr<QProcess> version(runWithoutDisplay({QStringLiteral("-v")}));
    ASSERT_TRUE(version->waitForFinished(30000));
    EXPECT_EQ(version->exitStatus(), QProcess::NormalExit) << version->readAllStandardError().toStdString();
    EXPECT_EQ(version->exitCode(), 0);
    EXPECT_EQ(version->readAllStandardOutput(), QByteArray("tallory-teacher " TALLORY_VERSION "\n"));
}

TEST(TeacherCommandLine, HelpNamesTheFolderOptionInRussian)
{
    std::unique_ptr<QProcess> p(run({QStringLiteral("--help")}));
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitCode(), 0);
    const QString help = QString::fromUtf8(p->readAllStandardOutput());
    EXPECT_TRUE(help.contains(QStringLiteral("--folder"))) << help.toStdString();
    EXPECT_TRUE(help.contains(QStringLiteral("Мастерская учителя"))) << help.toStdString();
}

TEST(TeacherCommandLine, VersionIsTheProgramsVersion)
{
    std::unique_ptr<QProcess> p(run({QStringLiteral("--version")}));
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitCode(), 0);
    EXPECT_TRUE(p->readAllStandardOutput().contains(TALLORY_VERSION));
}

// A folder that is not there (a share not mounted) is reported, also on the error stream, and
// never made.
TEST(TeacherCommandLine, MissingFolderIsReportedAndNeverMade)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("share/tallory"));
    std::unique_ptr<QProcess> p(run({QStringLiteral("--folder"), missing}));
    p->setReadChannel(QProcess::StandardError);
    // The box after the message waits for a click: the program is ended once the message came.
    // Qt may say other things on the stream first.
    const QByteArray mark("\ntallory-teacher: ");
    QByteArray said("\n");
    while (!(said.contains(mark) && said.endsWith('\n')) && p->waitForReadyRead(30000))
        said += p->readAllStandardError();
    p->kill();
    p->waitForFinished(30000);
    const QByteArray line = said.mid(said.indexOf(mark) + 1).split('\n').value(0);
    EXPECT_EQ(QString::fromUtf8(line), QStringLiteral("tallory-teacher: Папка программы «%1» не найдена.").arg(missing));
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("share"))).exists());
}

// The menu entry, the window, --help and the guide call the program by one name.
TEST(TeacherCommandLine, TheMenuEntryTheWindowAndHelpGiveOneName)
{
    QFile desktop(QStringLiteral(TALLORY_TEACHER_DESKTOP));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    QString name;
    for (const QByteArray &line : desktop.readAll().split('\n')) {
        if (line.startsWith("Name[ru]="))
            name = QString::fromUtf8(line.mid(9)).trimmed();
    }
    EXPECT_EQ(name.toStdString(), "Таллори! Мастерская учителя");

    std::unique_ptr<QProcess> p(run({QStringLiteral("--help")}));
    ASSERT_TRUE(p->waitForFinished(30000));
    const QString help = QString::fromUtf8(p->readAllStandardOutput());
    EXPECT_TRUE(help.contains(name)) << help.toStdString();

    FakePrompts prompts;
    QTemporaryDir folder;
    TeacherWindow window(folder.path() + QLatin1Char('/'), &prompts);
    EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral(" — ") + name)) << window.windowTitle().toStdString();
    TeacherHelp guide;
    const QString product = name.section(QLatin1Char(' '), 1); // the program's own part of the name
    EXPECT_TRUE(guide.windowTitle().startsWith(product)) << guide.windowTitle().toStdString();
    EXPECT_TRUE(guide.guideText().startsWith(product)) << guide.guideText().toStdString();
}
