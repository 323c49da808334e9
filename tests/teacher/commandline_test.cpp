// The workbench started as a teacher starts it from a terminal or a menu entry.

#include <QProcess>
#include <QProcessEnvironment>

#include <memory>

#include <gtest/gtest.h>

namespace {

QProcess *run(const QStringList &arguments)
{
    auto *p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p->setProcessEnvironment(env);
    p->start(QStringLiteral(TALLORY_TEACHER), arguments);
    return p;
}

} // namespace

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
