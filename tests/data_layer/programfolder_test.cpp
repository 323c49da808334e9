// The program folder named on the command line, and a lab folder shared by several machines.

#include "faq.h"
#include "files.h"
#include "inifile.h"
#include "programfolder.h"
#include "results.h"
#include "testutil.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The folder the command line names, as the game and the workbench read it.
Result<QString> folderFrom(const QStringList &arguments)
{
    QCommandLineParser parser;
    AddFolderOption(parser);
    if (!parser.parse(QStringList{QStringLiteral("tallory")} + arguments))
        return Result<QString>::failure(parser.errorText());
    return ProgramFolderFromArguments(parser);
}

// A folder the game can be started in: it has its settings file.
void giveSettings(const QString &folder)
{
    testutil::writeBytes(folder + QStringLiteral("/tallory.ini"), "");
}

} // namespace

TEST(FolderArgument, WithoutItTheProgramFolderIsTheExecutablesFolder)
{
    const auto folder = folderFrom({});
    ASSERT_TRUE(folder.ok()) << folder.error.toStdString();
    EXPECT_EQ(folder.value, ProgramFolder());
}

TEST(FolderArgument, NamedFolderBecomesTheProgramFolderEndingInASeparator)
{
    QTemporaryDir dir;
    giveSettings(dir.path());
    const auto spaced = folderFrom({QStringLiteral("--folder"), dir.path()});
    const auto joined = folderFrom({QStringLiteral("--folder=") + dir.path() + QStringLiteral("/")});
    ASSERT_TRUE(spaced.ok()) << spaced.error.toStdString();
    EXPECT_EQ(spaced.value, dir.path() + QLatin1Char('/'));
    EXPECT_EQ(joined.value, dir.path() + QLatin1Char('/'));
}

TEST(FolderArgument, RelativeFolderIsTakenFromTheCurrentFolder)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("lab")));
    giveSettings(dir.filePath(QStringLiteral("lab")));
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const auto folder = folderFrom({QStringLiteral("--folder"), QStringLiteral("lab")});
    QDir::setCurrent(saved);
    EXPECT_EQ(folder.value, QDir(dir.path()).canonicalPath() + QStringLiteral("/lab/"));
}

TEST(FolderArgument, FolderReachedThroughALinkKeepsTheNameGiven)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("share")));
    giveSettings(dir.filePath(QStringLiteral("share")));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("share")), dir.filePath(QStringLiteral("mnt"))));
    const auto folder = folderFrom({QStringLiteral("--folder"), dir.filePath(QStringLiteral("mnt"))});
    EXPECT_EQ(folder.value, dir.filePath(QStringLiteral("mnt/")));
}

TEST(FolderArgument, MissingFolderIsRefusedWithItsName)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("not-mounted"));
    const auto folder = folderFrom({QStringLiteral("--folder"), missing});
    EXPECT_FALSE(folder.ok());
    EXPECT_TRUE(folder.error.contains(missing)) << folder.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));
}

// A lab share that is not mounted leaves its mount point, an empty folder: the game would find no
// lesson there and its results would stay on this one machine.
TEST(FolderArgument, FolderWithoutSettingsIsRefusedAsAnUnmountedShare)
{
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath(QStringLiteral("lab"));
    QDir().mkpath(mountPoint);
    const auto folder = folderFrom({QStringLiteral("--folder"), mountPoint});
    EXPECT_FALSE(folder.ok());
    EXPECT_EQ(folder.error, QStringLiteral("В папке программы «%1» нет файла настроек tallory.ini: похоже, "
                                           "сетевая папка класса не подключена. Подключите её (в новую папку "
                                           "положите tallory.ini) и запустите программу снова.")
                                .arg(mountPoint));
    EXPECT_TRUE(QDir(mountPoint).isEmpty());
}

TEST(FolderArgument, FileInPlaceOfAFolderIsRefused)
{
    QTemporaryDir dir;
    testutil::writeBytes(dir.filePath(QStringLiteral("tallory.ini")), "");
    const auto folder = folderFrom({QStringLiteral("--folder"), dir.filePath(QStringLiteral("tallory.ini"))});
    EXPECT_FALSE(folder.ok());
}

TEST(FolderArgument, EmptyFolderNameIsRefused)
{
    EXPECT_FALSE(folderFrom({QStringLiteral("--folder=")}).ok());
}

// Two lab machines see one share under different paths; here a link stands in for the second
// machine's mount. Every record of both must be there at the end.
TEST(LabFolder, TwoWritersThroughTwoPathsLoseNoRecord)
{
    constexpr int kRecords = 100;
    QTemporaryDir dir;
    const QString share = dir.filePath(QStringLiteral("share"));
    const QString mount = dir.filePath(QStringLiteral("mnt"));
    ASSERT_TRUE(QDir().mkpath(share));
    ASSERT_TRUE(QFile::link(share, mount));
    const QStringList paths{share + QStringLiteral("/tallory.rez"), mount + QStringLiteral("/tallory.rez")};

    std::vector<std::unique_ptr<QProcess>> writers;
    for (int p = 0; p < 2; ++p) {
        auto proc = std::make_unique<QProcess>();
        proc->start(QStringLiteral(RESULTS_WRITER), {paths[p], QStringLiteral("LAB%1").arg(p), QStringLiteral("P"),
                                                     QString::number(kRecords)});
        writers.push_back(std::move(proc));
    }
    for (auto &proc : writers) {
        ASSERT_TRUE(proc->waitForFinished(120000));
        EXPECT_EQ(proc->exitCode(), 0) << proc->readAllStandardError().toStdString();
    }
    int found = 0;
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < kRecords; ++i) {
            const QByteArray name = "P" + QByteArray::number(i) + QByteArray(i, 'A');
            const QByteArray lesson = "LAB" + QByteArray::number(p);
            const QByteArray stored = ScrambleText(IniReadString(paths[1 - p], lesson, checks(name), ""));
            found += stored == ResultRecord(name, 1 + i % 16);
        }
    }
    EXPECT_EQ(found, 2 * kRecords);
    EXPECT_EQ(QDir(share).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("tallory.rez")});
    EXPECT_TRUE(QFileInfo(mount).isSymLink());
}
