// A file that cannot be written says why, in Russian and once: a full disk is a full disk, not
// Qt's English text nor "Запись прервана приложением".

#include "testutil.h"
#include "userfile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

using testutil::readBytes;
using testutil::writeBytes;

namespace {

// The message of writing size bytes over a file of the teacher's, and whether her file survived.
struct Attempt {
    QString error;
    bool kept = false;
};

Attempt writeOver(const QString &path, qsizetype size)
{
    const QByteArray old = "[1]\nВопрос?|да|нет|может быть|не знаю|\n";
    writeBytes(path, old);
    const Status s = WriteOutputFile(path, QByteArray(size, 'x'));
    return {s.error, readBytes(path) == old};
}

// A small file system of its own, so that the disk really fills; only root may mount one.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &folder) : m_folder(folder)
    {
        QDir().mkpath(folder);
        m_mounted = ::mount("tmpfs", qPrintable(folder), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(qPrintable(m_folder), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace

TEST(WriteErrors, FileLargerThanTheSystemAllowsSaysSo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bank.faq"));
    // The limit of one file's size stands for a disk that takes no more; the signal it sends
    // would end the test, so it is ignored and the write fails instead.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Attempt attempt = writeOver(path, 1024 * 1024);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(attempt.error, QStringLiteral("Не удаётся записать файл «%1»: файл больше, чем система разрешает записать").arg(path));
    EXPECT_TRUE(attempt.kept);
}

TEST(WriteErrors, FullDiskSaysTheDiskIsFull)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("disk"));
    const SmallDisk disk(folder);
    if (!disk.mounted())
        GTEST_SKIP() << "a full disk needs a file system of its own, which only root can mount";
    const QString path = folder + QStringLiteral("/bank.faq");
    const QString full = QStringLiteral("Не удаётся записать файл «%1»: на диске нет места").arg(path);
    // The new bank does not fit; then the disk is filled to its last byte, and not even the lock
    // file beside the bank fits.
    const Attempt larger = writeOver(path, 1024 * 1024);
    EXPECT_EQ(larger.error, full);
    EXPECT_TRUE(larger.kept);
    writeBytes(folder + QStringLiteral("/filler"), QByteArray(64 * 1024, 'x'));
    const Status none = WriteOutputFile(path, "[1]\n");
    EXPECT_EQ(none.error, full);
}
