// The game started with a data folder that is not there, as a lab machine whose share is not
// mounted starts it: it says so and does not make a folder of its own.

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
