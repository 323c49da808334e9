#include "inifile.h"
#include "layoutprofile.h"
#include "testutil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using testutil::readBytes;
using testutil::w;
using testutil::writeBytes;

class IniFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("tallory.ini"));
};

TEST_F(IniFileTest, ReadsNamesWithoutRegardToCaseCyrillicIncluded)
{
    writeBytes(path, w(u"[АЛГЕБРА-1]\r\nВопросник=C:\\Exams\\algebra1.faq\r\n[геометрия]\r\nвопросник=geometry.faq\r\n"));
    EXPECT_EQ(IniReadString(path, w(u"алгебра-1"), w(u"Вопросник"), "x"), "C:\\Exams\\algebra1.faq");
    EXPECT_EQ(IniReadString(path, w(u"ГЕОМЕТРИЯ"), w(u"ВОПРОСНИК"), "x"), "geometry.faq");
    EXPECT_EQ(IniReadString(path, w(u"ФИЗИКА"), w(u"Вопросник"), "none"), "none");
}

TEST_F(IniFileTest, TrimsBlanksAndOnePairOfQuotes)
{
    writeBytes(path, "[s]\n  a  =  \t value with  blanks \t\nb=\"quoted \"\nc=\"\"twice\"\"\nd=\"open\ne='single'\n");
    EXPECT_EQ(IniReadString(path, "s", "a", ""), "value with  blanks");
    EXPECT_EQ(IniReadString(path, "s", "b", ""), "quoted ");
    EXPECT_EQ(IniReadString(path, "s", "c", ""), "\"twice\"");
    EXPECT_EQ(IniReadString(path, "s", "d", ""), "\"open");
    EXPECT_EQ(IniReadString(path, "s", "e", ""), "single");
}

TEST_F(IniFileTest, ReturnsAtMost2047Characters)
{
    writeBytes(path, "[s]\r\nlong=" + QByteArray(3000, 'x') + "\r\n");
    EXPECT_EQ(IniReadString(path, "s", "long", "").size(), 2047);
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(IniReadString(path, "s", "k", "def"), "def");
    EXPECT_EQ(IniReadInteger(path, "s", "k", 42), 42);
    writeBytes(path, "[s]\r\nother=1\r\n");
    EXPECT_EQ(IniReadString(path, "s", "k", "def"), "def");
    EXPECT_EQ(IniReadString(path, "t", "other", "def"), "def");
}

TEST_F(IniFileTest, OnlyTheFirstSectionOfANameIsRead)
{
    writeBytes(path, "[s]\r\na=1\r\n[t]\r\nb=2\r\n[S]\r\nb=3\r\n");
    EXPECT_EQ(IniReadString(path, "s", "b", "none"), "none");
    EXPECT_EQ(IniReadString(path, "t", "b", "none"), "2");
}

TEST_F(IniFileTest, IntegersAreDecimalOrHexadecimal)
{
    writeBytes(path, "[n]\r\na=0x100\r\nb=$10\r\nc=-25\r\nd=abc\r\ne=+7\r\nf=0X1f\r\ng=12abc\r\nh=99999999999\r\ni=\r\n");
    EXPECT_EQ(IniReadInteger(path, "n", "a", 635), 256);
    EXPECT_EQ(IniReadInteger(path, "n", "b", 0), 16);
    EXPECT_EQ(IniReadInteger(path, "n", "c", 0), -25);
    EXPECT_EQ(IniReadInteger(path, "n", "d", 635), 635);
    EXPECT_EQ(IniReadInteger(path, "n", "e", 0), 7);
    EXPECT_EQ(IniReadInteger(path, "n", "f", 0), 31);
    EXPECT_EQ(IniReadInteger(path, "n", "g", 5), 5);
    EXPECT_EQ(IniReadInteger(path, "n", "h", 5), 5);
    EXPECT_EQ(IniReadInteger(path, "n", "i", 5), 5);
    EXPECT_EQ(ParseIniInteger("0x10", false), std::nullopt);
    EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndKey)
{
    ASSERT_TRUE(IniWriteString(path, w(u"АЛГЕБРА-1"), "1770", "abc").ok());
    EXPECT_EQ(readBytes(path), w(u"[АЛГЕБРА-1]\r\n1770=abc\r\n"));
    ASSERT_TRUE(IniWriteString(path, w(u"алгебра-1"), "385", "d=e;[f]").ok());
    EXPECT_EQ(readBytes(path), w(u"[АЛГЕБРА-1]\r\n1770=abc\r\n385=d=e;[f]\r\n"));
    ASSERT_TRUE(IniWriteString(path, "B", "1", "x").ok());
    EXPECT_EQ(readBytes(path), w(u"[АЛГЕБРА-1]\r\n1770=abc\r\n385=d=e;[f]\r\n[B]\r\n1=x\r\n"));
    EXPECT_EQ(IniReadString(path, w(u"АЛГЕБРА-1"), "385", ""), "d=e;[f]");
}

TEST_F(IniFileTest, WriteReplacesAValueInPlaceAndLeavesEveryOtherByte)
{
    const QByteArray before = "; teacher's notes\n[a]\n  key = old value ; not a comment\r\nnext=1\n\n[b]\rk=v";
    writeBytes(path, before);
    ASSERT_TRUE(IniWriteString(path, "A", "KEY", "new").ok());
    EXPECT_EQ(readBytes(path), "; teacher's notes\n[a]\n  key =new\r\nnext=1\n\n[b]\rk=v");
}

TEST_F(IniFileTest, NewKeyGoesAfterTheLastLineOfItsSection)
{
    writeBytes(path, "[a]\r\nx=1\r\n\r\n[b]\r\ny=2");
    ASSERT_TRUE(IniWriteString(path, "a", "z", "3").ok());
    EXPECT_EQ(readBytes(path), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2");
    ASSERT_TRUE(IniWriteString(path, "b", "w", "4").ok());
    EXPECT_EQ(readBytes(path), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\nw=4\r\n");
    ASSERT_TRUE(IniWriteString(path, "c", "v", "5").ok());
    EXPECT_EQ(readBytes(path), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\nw=4\r\n[c]\r\nv=5\r\n");
}

TEST_F(IniFileTest, ValueIsStoredUpToItsFirstNul)
{
    ASSERT_TRUE(IniWriteString(path, "s", "k", QByteArray("ab\0cd", 5)).ok());
    EXPECT_EQ(readBytes(path), "[s]\r\nk=ab\r\n");
}

TEST_F(IniFileTest, LineBreaksThatWouldForgeEntriesAreRefused)
{
    writeBytes(path, "[s]\r\nk=1\r\n");
    const Status s = IniWriteString(path, "s", "k", "x\r\n[t]\r\nk=forged");
    EXPECT_FALSE(s.ok());
    EXPECT_TRUE(s.error.startsWith(QStringLiteral("Unable to write to ") + path));
    EXPECT_FALSE(IniWriteString(path, "s\nt", "k", "v").ok());
    EXPECT_EQ(readBytes(path), "[s]\r\nk=1\r\n");
}

TEST_F(IniFileTest, UnwritableFileFailsWithTheFileName)
{
    const QString inFolder = dir.filePath(QStringLiteral("folder"));
    QDir().mkpath(inFolder);
    const Status s = IniWriteString(inFolder, "s", "k", "v");
    EXPECT_EQ(s.error, QStringLiteral("Unable to write to ") + inFolder);
}

TEST_F(IniFileTest, GarbageAndHugeLinesNeitherCrashNorConfuse)
{
    QByteArray garbage;
    for (int i = 0; i < 100000; ++i)
        garbage.append(static_cast<char>((i * 7919) % 256));
    garbage.append("\r\n[s]\r\nk=found\r\n");
    garbage.append(QByteArray(10 * 1024 * 1024, 'z'));
    writeBytes(path, garbage);
    EXPECT_EQ(IniReadString(path, "s", "k", ""), "found");
    ASSERT_TRUE(IniWriteString(path, "s", "k", "changed").ok());
    QByteArray expected = garbage;
    expected.replace("k=found", "k=changed");
    EXPECT_EQ(readBytes(path), expected);
}

TEST_F(IniFileTest, LayoutProfileReadsTheSevenKeysOfTheScreenSize)
{
    writeBytes(path, w(u"[1024x768]\r\nОтвет=14\r\nУровень-Ширина=170\r\nУровень-Слева=0x100\r\n"
                       u"Вопрос-шрифт=18\r\nВопрос-сверху=560\r\nУровень-отступ=abc\r\nТабло-высота=60\r\n"));
    const LayoutProfile p = ReadLayoutProfile(path, 1024, 768);
    EXPECT_EQ(p.answerFont, 14);
    EXPECT_EQ(p.ladderWidth, 170);
    EXPECT_EQ(p.ladderLeft, 256);
    EXPECT_EQ(p.questionFont, 18);
    EXPECT_EQ(p.questionTop, 560);
    EXPECT_EQ(p.rowIndent, 26);
    EXPECT_EQ(p.boardHeight, 60);

    const LayoutProfile other = ReadLayoutProfile(path, 1280, 1024);
    EXPECT_EQ(other.answerFont, 13);
    EXPECT_EQ(other.ladderWidth, 160);
    EXPECT_EQ(other.ladderLeft, 635);
    EXPECT_EQ(other.questionFont, 16);
    EXPECT_EQ(other.questionTop, 480);
    EXPECT_EQ(other.rowIndent, 26);
    EXPECT_EQ(other.boardHeight, 50);
    EXPECT_EQ(LayoutProfileName(1366, 768), "1366x768");
}

TEST_F(IniFileTest, BlanksAroundTheNamesAskedForAreDropped)
{
    writeBytes(path, w(u"[АЛГЕБРА-1]\r\nВопросник=algebra1.faq\r\n"));
    EXPECT_EQ(IniReadString(path, w(u"алгебра-1 "), w(u" Вопросник  "), "none"), "algebra1.faq");
    EXPECT_EQ(IniReadString(path, w(u"  АЛГЕБРА-1"), w(u"Вопросник"), "none"), "algebra1.faq");
    // Tabs are part of the name asked for.
    EXPECT_EQ(IniReadString(path, w(u"АЛГЕБРА-1\t"), w(u"Вопросник"), "none"), "none");
}

TEST_F(IniFileTest, WriteDropsBlanksAroundTheNamesSoAReadFindsThemAgain)
{
    ASSERT_TRUE(IniWriteString(path, " L ", " k", "1").ok());
    EXPECT_EQ(readBytes(path), "[L]\r\nk=1\r\n");
    ASSERT_TRUE(IniWriteString(path, "L", "k ", "2").ok());
    EXPECT_EQ(readBytes(path), "[L]\r\nk=2\r\n");
    EXPECT_EQ(IniReadString(path, " L", "k", ""), "2");
}

TEST_F(IniFileTest, KeysThatCouldNeverBeReadBackAreRefused)
{
    writeBytes(path, "[s]\r\nk=1\r\n");
    for (const QByteArray &key : {QByteArray("[k"), QByteArray(";k"), QByteArray(" ;k"), QByteArray("\tk"),
                                  QByteArray("k\t"), QByteArray("a=b"), QByteArray("  ")}) {
        const Status s = IniWriteString(path, "s", key, "v");
        EXPECT_FALSE(s.ok()) << key.constData();
        EXPECT_TRUE(s.error.startsWith(QStringLiteral("Unable to write to ") + path)) << key.constData();
    }
    EXPECT_FALSE(IniWriteString(path, "s\t", "k", "v").ok());
    EXPECT_EQ(readBytes(path), "[s]\r\nk=1\r\n");
}

TEST_F(IniFileTest, NegatedHexadecimalWrapsAround32Bits)
{
    EXPECT_EQ(ParseIniInteger("-$80000000"), std::numeric_limits<int>::min());
    EXPECT_EQ(ParseIniInteger("-0x80000000"), std::numeric_limits<int>::min());
    EXPECT_EQ(ParseIniInteger("-$FFFFFFFF"), 1);
    EXPECT_EQ(ParseIniInteger("-$1"), -1);
    EXPECT_EQ(ParseIniInteger("$7FFFFFFF"), std::numeric_limits<int>::max());
    EXPECT_EQ(ParseIniInteger("-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ(ParseIniInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("-$100000000"), std::nullopt);
}

TEST_F(IniFileTest, DeletingASectionRemovesItsLinesAndLeavesEveryOtherByte)
{
    const QByteArray before = w(u"; уроки\r\n[АЛГЕБРА]\r\nВопросник=a.faq\r\n\r\n");
    const QByteArray after = w(u"[ГЕОМЕТРИЯ]\r\nВопросник=g.faq\n[настройки]\r\nВедущий=host.bmp");
    writeBytes(path, before + w(u"[физика]\r\nВопросник=f.faq\r\nx = 1\r\n") + after);
    ASSERT_TRUE(IniDeleteSection(path, w(u"ФИЗИКА")).ok());
    EXPECT_EQ(readBytes(path), before + after);
    EXPECT_EQ(IniReadString(path, w(u"физика"), w(u"Вопросник"), "none"), "none");
}

TEST_F(IniFileTest, DeletingTheLastSectionKeepsTheLinesBeforeIt)
{
    writeBytes(path, "[a]\r\nk=1\r\n[b]\r\nk=2");
    ASSERT_TRUE(IniDeleteSection(path, "B").ok());
    EXPECT_EQ(readBytes(path), "[a]\r\nk=1\r\n");
}

TEST_F(IniFileTest, DeletingASectionTakesItsHiddenRepeatsToo)
{
    writeBytes(path, "[a]\r\nk=1\r\n[b]\r\nk=2\r\n[A]\r\nk=3\r\n");
    ASSERT_TRUE(IniDeleteSection(path, "a").ok());
    EXPECT_EQ(readBytes(path), "[b]\r\nk=2\r\n");
    EXPECT_EQ(IniReadString(path, "a", "k", "none"), "none");
}

TEST_F(IniFileTest, DeletingAMissingSectionLeavesTheFileAlone)
{
    writeBytes(path, "[a]\r\nk=1\r\n");
    EXPECT_TRUE(IniDeleteSection(path, "b").ok());
    EXPECT_EQ(readBytes(path), "[a]\r\nk=1\r\n");
    EXPECT_TRUE(IniDeleteSection(dir.filePath(QStringLiteral("none.ini")), "b").ok());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("none.ini"))));
}

TEST_F(IniFileTest, RenamingASectionChangesItsHeaderLineAlone)
{
    writeBytes(path, w(u"[ДЕМО]\r\nВопросник=demo.faq\r\n  [алгебра]  \nВопросник=a.faq\r\n[x]\r\n"));
    ASSERT_TRUE(IniRenameSection(path, w(u"АЛГЕБРА"), w(u"АЛГЕБРА-2")).ok());
    EXPECT_EQ(readBytes(path), w(u"[ДЕМО]\r\nВопросник=demo.faq\r\n[АЛГЕБРА-2]\nВопросник=a.faq\r\n[x]\r\n"));
    EXPECT_EQ(IniReadString(path, w(u"алгебра-2"), w(u"Вопросник"), ""), "a.faq");
}

TEST_F(IniFileTest, RenamingIsRefusedOntoAnotherSectionOrFromAMissingOne)
{
    const QByteArray text = "[a]\r\nk=1\r\n[b]\r\nk=2\r\n";
    writeBytes(path, text);
    EXPECT_FALSE(IniRenameSection(path, "a", "B").ok());
    EXPECT_FALSE(IniRenameSection(path, "c", "d").ok());
    EXPECT_FALSE(IniRenameSection(path, "a", "x\r\n[b").ok());
    EXPECT_EQ(readBytes(path), text);
    EXPECT_TRUE(IniRenameSection(path, "a", "A").ok());
    EXPECT_EQ(readBytes(path), "[A]\r\nk=1\r\n[b]\r\nk=2\r\n");
}

// The list of sections is what the lessons of the workbench are built from, so it must hold each
// section a read can reach, under a name that reaches it, and nothing a read passes over.
TEST(IniSectionNames, ListsEachSectionOnceInFileOrderUnderTheNameAReadFinds)
{
    const QByteArray text = w(u"; [ЗАКЛАДКА] в комментарии\r\n"
                              u"\r\n"
                              u" \t[  Алгебра-1  ] \r\n"
                              u"Вопросник=a.faq\r\n"
                              u"ключ=[не раздел]\r\n"
                              u"\r\n\r\n"
                              u"[геометрия]\rВопросник=g.faq\r"
                              u"[АЛГЕБРА-1]\nВопросник=hidden.faq\n"
                              u"[ГЕОМЕТРИЯ]\r\n"
                              u"[1024x768]");
    const QList<QByteArray> names = IniSectionNames(text);
    EXPECT_EQ(names, (QList<QByteArray>{w(u"Алгебра-1"), w(u"геометрия"), "1024x768"}));
    EXPECT_EQ(IniFindValue(text, names.value(0), w(u"Вопросник")), "a.faq");
    EXPECT_EQ(IniFindValue(text, names.value(1), w(u"Вопросник")), "g.faq");
}

// "[" alone ends the section before it for every read, and a read of the empty name finds the
// keys after it; the list names it so, rather than letting them pass for the section above.
TEST(IniSectionNames, ABracketAloneIsTheSectionWithoutAName)
{
    const QByteArray text = "[a]\r\nk=1\r\n[\r\nk=2\r\n[ ]\r\n[b";
    EXPECT_EQ(IniSectionNames(text), (QList<QByteArray>{"a", "", "b"}));
    EXPECT_EQ(IniFindValue(text, "", "k"), "2");
    EXPECT_TRUE(IniSectionNames("").isEmpty());
    EXPECT_TRUE(IniSectionNames("; [a]\r\nk=[b]\r\n\r\n").isEmpty());
}
