#include "counters.h"
#include "inifile.h"
#include "testutil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testutil::readBytes;
using testutil::w;
using testutil::writeBytes;

// Every test gets a configuration folder of its own, as a fresh user account would.
class CounterStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("cfg")).toUtf8());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }

    QTemporaryDir dir;
    QByteArray saved;
};

TEST_F(CounterStoreTest, LivesInQuarnelIniOfTheConfigurationFolder)
{
    EXPECT_EQ(CounterStoreLocation(), dir.filePath(QStringLiteral("cfg/Quarnel.ini")));
    ASSERT_TRUE(RegWriteInteger(kCounterSection, "4", 7).ok());
    ASSERT_TRUE(RegWriteInteger(kCounterSection, w(u"Звук"), -3).ok());
    ASSERT_TRUE(RegWriteBool(kCounterSection, w(u"Звук вкл."), false).ok());
    EXPECT_EQ(readBytes(CounterStoreLocation()), w(u"[OTallory]\r\n4=7\r\nЗвук=-3\r\nЗвук вкл.=0\r\n"));
}

TEST_F(CounterStoreTest, IntegersReadBackWithDefaultsForAbsentOrBadText)
{
    EXPECT_EQ(RegReadInteger(kCounterSection, "1", 999).value, 999);
    writeBytes(CounterStoreLocation(), w(u"[OTallory]\r\nДруг=14\r\nФраза=$10\r\nОтвет=x\r\nЗвук=0x10\r\n"));
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Друг"), 0).value, 14);
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Фраза"), 0).value, 16);
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Ответ"), 5).value, 5);
    // The store takes "$" only; "0x" text is not an integer there.
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Звук"), 3).value, 3);
}

TEST_F(CounterStoreTest, FlagsAreOneAndZeroAndAnyNonZeroIsTrue)
{
    EXPECT_TRUE(RegReadBool(kCounterSection, w(u"Звук вкл."), true).value);
    ASSERT_TRUE(RegWriteBool(kCounterSection, w(u"Звук вкл."), false).ok());
    EXPECT_FALSE(RegReadBool(kCounterSection, w(u"Звук вкл."), true).value);
    writeBytes(CounterStoreLocation(), w(u"[OTallory]\r\nЗвук вкл.=2\r\nx=abc\r\n"));
    EXPECT_TRUE(RegReadBool(kCounterSection, w(u"Звук вкл."), false).value);
    EXPECT_FALSE(RegReadBool(kCounterSection, "x", false).value);
    EXPECT_TRUE(RegReadBool(kCounterSection, "x", true).value);
}

TEST_F(CounterStoreTest, GarbageStoreReadsAsDefaultsAndIsMendedByAWrite)
{
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 31);
    writeBytes(CounterStoreLocation(), garbage);
    EXPECT_EQ(RegReadInteger(kCounterSection, "3", 999).value, 999);
    ASSERT_TRUE(RegWriteInteger(kCounterSection, "3", 5).ok());
    EXPECT_EQ(RegReadInteger(kCounterSection, "3", 999).value, 5);
    EXPECT_TRUE(readBytes(CounterStoreLocation()).startsWith(garbage));
}

TEST_F(CounterStoreTest, FailuresCarryTheirMessages)
{
    // A file where the folder should be: the section cannot be created.
    writeBytes(dir.filePath(QStringLiteral("cfg")), "not a folder");
    EXPECT_EQ(RegWriteInteger(kCounterSection, "1", 1).error, QStringLiteral("Failed to create key OTallory"));
    QFile::remove(dir.filePath(QStringLiteral("cfg")));
    // A folder where the store file should be: nothing can be written or read there.
    QDir().mkpath(CounterStoreLocation());
    EXPECT_EQ(RegWriteInteger(kCounterSection, w(u"Друг"), 1).error, QStringLiteral("Failed to set data for 'Друг'"));
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Друг"), 0).error, QStringLiteral("Failed to get data for 'Друг'"));
}

// The store kept in memory: nothing reaches the file before a flush, and a flush writes every
// changed value in one rewrite over whatever the file holds by then, leaving the rest alone.
TEST_F(CounterStoreTest, CacheServesFromMemoryAndFlushesChangedValuesAtOnce)
{
    struct Case {
        const char *what;
        QByteArray before;       // the file as the cache is made (empty: no file)
        QByteArray meanwhile;    // written over the file behind the cache's back, before the flush
        QList<std::pair<QByteArray, int>> writes;
        QList<std::pair<QByteArray, int>> reads; // what reads through the cache give, default -1
        QByteArray after;        // the file after the flush
    };
    const QList<Case> cases{
        {"no file yet", {}, {}, {{"1", 5}, {"2", 6}}, {{"1", 5}, {"2", 6}, {"3", -1}},
         "[OTallory]\r\n1=5\r\n2=6\r\n"},
        {"the file as it was when the cache was made", "[OTallory]\r\n1=7\r\n4=9\r\n", {}, {{"1", 8}},
         {{"1", 8}, {"4", 9}}, "[OTallory]\r\n1=8\r\n4=9\r\n"},
        {"other sections and values left alone, a value changed meanwhile kept",
         "[Other]\r\nx=1\r\n[OTallory]\r\n1=7\r\n", "[Other]\r\nx=2\r\n[OTallory]\r\n1=7\r\nz=3\r\n",
         {{"1", 0}, {"2", 1}}, {{"1", 0}, {"2", 1}, {"z", -1}},
         "[Other]\r\nx=2\r\n[OTallory]\r\n1=0\r\nz=3\r\n2=1\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(CounterStoreLocation());
        if (!c.before.isEmpty())
            writeBytes(CounterStoreLocation(), c.before);
        {
            CounterStoreCache cache;
            if (!c.meanwhile.isEmpty())
                writeBytes(CounterStoreLocation(), c.meanwhile);
            const QByteArray untouched = c.meanwhile.isEmpty() ? c.before : c.meanwhile;
            for (const auto &[name, value] : c.writes)
                ASSERT_TRUE(RegWriteInteger(kCounterSection, name, value).ok());
            for (const auto &[name, value] : c.reads)
                EXPECT_EQ(RegReadInteger(kCounterSection, name, -1).value, value) << name.constData();
            EXPECT_TRUE(cache.changed());
            EXPECT_EQ(QFile::exists(CounterStoreLocation()) ? readBytes(CounterStoreLocation()) : QByteArray(),
                      untouched);
            ASSERT_TRUE(cache.flush().ok());
            EXPECT_FALSE(cache.changed());
            EXPECT_EQ(readBytes(CounterStoreLocation()), c.after);
        }
        // Without a cache every call reaches the file again.
        ASSERT_TRUE(RegWriteInteger(kCounterSection, "1", 42).ok());
        EXPECT_EQ(IniFindValue(readBytes(CounterStoreLocation()), kCounterSection, "1"), QByteArray("42"));
    }
}
