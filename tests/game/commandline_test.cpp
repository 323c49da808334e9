// The game started from a terminal: with a data folder that is not there, as a lab machine
// whose share is not mounted starts it, it says so and does not make a folder of its own; asked
// for its help or version where there is no display at all, it answers.

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The environment of a terminal over ssh, or of a package check: no window system at all.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

} // namespace

TEST(GameCommandLine, HelpAndVersionNeedNoDisplay)
{
    for (const QString &question : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        QProcess p;
        p.setProcessEnvironment(withoutDisplay());
        p.start(QStringLiteral(TALLORY_GAME), {question});
        ASSERT_TRUE(p.waitForFinished(30000)) << question.toStdString();
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << question.toStdString() << err.toStdString();
        EXPECT_EQ(p.exitCode(), 0) << question.toStdString() << err.toStdString();
        if (question == QLatin1String("--help")) {
            EXPECT_TRUE(out.contains(QStringLiteral("--folder"))) << out.toStdString();
            EXPECT_TRUE(out.contains(QStringLiteral("игра-экзамен"))) << out.toStdString();
            // Qt's own lines about its options are in Russian as well.
            EXPECT_FALSE(out.contains(QStringLiteral("Displays"))) << out.toStdString();
        } else {
            EXPECT_EQ(out, QStringLiteral("Таллори! %1\n").arg(QStringLiteral(TALLORY_VERSION)));
        }
    }
}

TEST(GameCommandLine, MissingFolderIsReportedAndNeverMade)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("share/tallory"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.setReadChannel(QProcess::StandardError);
    p.start(QStringLiteral(TALLORY_GAME), {QStringLiteral("--folder"), missing});
    // The message goes to the error stream before the box shows; the box waits for a click, so
    // the program is ended here once the message has come. Qt may say other things there first.
    const QByteArray mark("\ntallory: ");
    QByteArray said("\n");
    while (!(said.contains(mark) && said.endsWith('\n')) && p.waitForReadyRead(30000))
        said += p.readAllStandardError();
    p.kill();
    p.waitForFinished(30000);
    const QByteArray line = said.mid(said.indexOf(mark) + 1).split('\n').value(0);
    EXPECT_EQ(QString::fromUtf8(line), QStringLiteral("tallory: Папка программы «%1» не найдена.").arg(missing));
    EXPECT_FALSE(QDir(missing).exists());
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("share"))).exists());
}
