#include "counters.h"
#include "faq.h"
#include "randomsource.h"
#include "testutil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

using testutil::w;
using testutil::writeBytes;

namespace {

// Hands out planned numbers and remembers what was asked.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(std::deque<int> plan) : m_plan(std::move(plan)) {}
    int below(int n) override
    {
        bounds.push_back(n);
        if (m_plan.empty())
            return 0;
        const int v = m_plan.front();
        m_plan.pop_front();
        return v;
    }
    std::vector<int> bounds;

private:
    std::deque<int> m_plan;
};

QByteArray scrambled(const QByteArray &plain)
{
    return ScrambleText(plain);
}

std::vector<QByteArray> texts(const std::vector<QByteArrayView> &lines)
{
    std::vector<QByteArray> out;
    for (auto l : lines)
        out.push_back(l.toByteArray());
    return out;
}

} // namespace

TEST(ScrambleText, XorsEveryByteWithTheKeyAndUndoesItself)
{
    EXPECT_EQ(ScrambleText("A"), QByteArray("\xEC"));
    EXPECT_EQ(ScrambleText(QByteArray("\xAD\xA7\xA0", 3)), QByteArray("\x00\x0A\x0D", 3));
    const QByteArray text = w(u"Столица России?|Москва|Киев|Минск|Рига|");
    EXPECT_NE(ScrambleText(text), text);
    EXPECT_EQ(ScrambleText(ScrambleText(text)), text);
    EXPECT_EQ(ScrambleText(""), "");
}

TEST(BankLines, LineEndsOfEveryKindAndNulEndsTheText)
{
    // The length comes from the literal itself, so the bytes after the NUL are really there.
    static const char bytes[] = "a\rb\nc\r\nd\n\re  \r\n\0f\r\n";
    const FaqText faq = FaqText::fromBytes(QByteArray(bytes, sizeof bytes - 1));
    ASSERT_EQ(faq.lineCount(), 6);
    EXPECT_EQ(faq.line(0), "a");
    EXPECT_EQ(faq.line(1), "b");
    EXPECT_EQ(faq.line(2), "c");
    EXPECT_EQ(faq.line(3), "d");
    EXPECT_EQ(faq.line(4), "");
    EXPECT_EQ(faq.line(5), "e  ");
}

TEST(BankSections, TheFirstSectionOfALevelUpToAnyHeaderLikeLine)
{
    const FaqText faq = FaqText::fromBytes("before\r\n[1]\r\none\r\n\r\n[x\r\ny]\r\n[3]\r\nthree\r\n[02]\r\nlost\r\n"
                                           "[3]\r\nsecond three\r\n [2]\r\n[5]\r\n[5]\r\nfive\r\n[7]\r\nlast\r\nend");
    EXPECT_EQ(texts(faq.section(1)), (std::vector<QByteArray>{"one", ""}));
    EXPECT_EQ(texts(faq.section(3)), (std::vector<QByteArray>{"three"}));
    EXPECT_TRUE(faq.section(2).empty()); // " [2]" with a blank in front is no header
    EXPECT_TRUE(faq.section(5).empty()); // a repeat of its own header ends the section
    EXPECT_EQ(texts(faq.section(7)), (std::vector<QByteArray>{"last", "end"}));
    EXPECT_TRUE(faq.section(4).empty());
}

TEST(BankSections, LinesBeforeTheFirstHeaderAreNeverServed)
{
    const FaqText faq = FaqText::fromBytes("q|a|b|c|d|\r\n[1]\r\n[2]\r\nx\r\n");
    EXPECT_TRUE(faq.section(1).empty());
    EXPECT_EQ(texts(faq.section(2)), (std::vector<QByteArray>{"x"}));
}

class LoadFaqTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("cfg")).toUtf8());
        QByteArray bank = "[4]\r\n";
        for (int i = 0; i < 30; ++i)
            bank += scrambled("q" + QByteArray::number(i) + "|a|b|c|d|") + "\r\n";
        bank += "[6]\r\n" + scrambled("only|a|b|c|d|") + "\r\n";
        faq = FaqText::fromBytes(bank);
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }

    int counter(int level) { return RegReadInteger(kCounterSection, QByteArray::number(level), -100).value; }

    QTemporaryDir dir;
    QByteArray saved;
    FaqText faq;
    std::vector<QByteArrayView> faqStr;
};

TEST_F(LoadFaqTest, FirstPickIsRandomAmongTheFirst25AndLaterPicksFollowOn)
{
    ScriptedRandom random({17});
    auto q = LoadFaq(faq, 4, faqStr, random, QStringLiteral("demo.faq"));
    ASSERT_TRUE(q.ok()) << q.error.toStdString();
    EXPECT_EQ(q.value, "q17|a|b|c|d|");
    EXPECT_EQ(random.bounds, std::vector<int>{25});
    EXPECT_EQ(faqStr.size(), 30u);
    EXPECT_EQ(counter(4), 18);
    EXPECT_EQ(LoadFaq(faq, 4, faqStr, random, {}).value, "q18|a|b|c|d|");
    EXPECT_EQ(counter(4), 19);
}

TEST_F(LoadFaqTest, CounterAtTheEndOfTheSectionStartsAgainAtLineZero)
{
    ScriptedRandom random({});
    ASSERT_TRUE(RegWriteInteger(kCounterSection, "4", 30).ok());
    EXPECT_EQ(LoadFaq(faq, 4, faqStr, random, {}).value, "q0|a|b|c|d|");
    EXPECT_EQ(counter(4), 1);
    // A random start beyond a short section is a reset to the first line, not a remainder.
    ScriptedRandom late({20});
    EXPECT_EQ(LoadFaq(faq, 6, faqStr, late, {}).value, "only|a|b|c|d|");
    EXPECT_EQ(counter(6), 1);
}

TEST_F(LoadFaqTest, BadOrNegativeCountersCountAsAbsent)
{
    testutil::writeBytes(CounterStoreLocation(), "[OTallory]\r\n4=abc\r\n");
    ScriptedRandom random({5, 9});
    EXPECT_EQ(LoadFaq(faq, 4, faqStr, random, {}).value, "q5|a|b|c|d|");
    ASSERT_TRUE(RegWriteInteger(kCounterSection, "4", -3).ok());
    EXPECT_EQ(LoadFaq(faq, 4, faqStr, random, {}).value, "q9|a|b|c|d|");
    EXPECT_EQ(counter(4), 10);
}

TEST_F(LoadFaqTest, StoredValue999IsReadAgainAndResetsToTheFirstLine)
{
    ASSERT_TRUE(RegWriteInteger(kCounterSection, "4", 999).ok());
    ScriptedRandom random({12});
    EXPECT_EQ(LoadFaq(faq, 4, faqStr, random, {}).value, "q0|a|b|c|d|");
    EXPECT_EQ(counter(4), 1);
}

TEST_F(LoadFaqTest, LevelWithoutLinesIsAnErrorNamingLevelAndBank)
{
    ScriptedRandom random({3});
    const auto q = LoadFaq(faq, 9, faqStr, random, QStringLiteral("algebra.faq"));
    EXPECT_FALSE(q.ok());
    EXPECT_TRUE(q.error.contains(QStringLiteral("algebra.faq")));
    EXPECT_TRUE(q.error.contains(QStringLiteral("уровня 9")));
    EXPECT_TRUE(faqStr.empty());
}

TEST_F(LoadFaqTest, BinaryFileAsABankNeverCrashes)
{
    QByteArray junk(1 << 20, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 2654435761u) >> 13);
    junk[0] = 'x';
    const FaqText bin = FaqText::fromBytes(junk);
    ScriptedRandom random({});
    for (int level = 1; level <= 15; ++level) {
        const auto q = LoadFaq(bin, level, faqStr, random, QStringLiteral("junk.bin"));
        EXPECT_FALSE(q.ok());
    }
}

TEST(BankFile, RelativeNameIsFoundInTheCurrentFolderThenBesideTheProgram)
{
    QTemporaryDir cwd;
    QTemporaryDir program;
    testutil::writeBytes(program.filePath(QStringLiteral("banks/demo.faq")), "[1]\r\n");
    const QString saved = QDir::currentPath();
    QDir::setCurrent(cwd.path());
    const QString folder = program.path() + QLatin1Char('/');
    EXPECT_EQ(FindBankFile("banks\\demo.faq", folder), program.filePath(QStringLiteral("banks/demo.faq")));
    testutil::writeBytes(cwd.filePath(QStringLiteral("banks/demo.faq")), "[1]\r\n");
    EXPECT_EQ(FindBankFile("banks/demo.faq", folder), cwd.filePath(QStringLiteral("banks/demo.faq")));
    EXPECT_EQ(FindBankFile("", folder), QString());
    EXPECT_EQ(FindBankFile("banks", folder), QString()); // a folder is not a bank
    EXPECT_EQ(FindBankFile("nothing.faq", folder), QString());
    QDir::setCurrent(saved);
}

TEST(BankFile, LoadKeepsEveryByteOfTheLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.faq"));
    testutil::writeBytes(path, "[1]\r\n  spaced  \r\n");
    const auto bank = LoadBankFile(path);
    ASSERT_TRUE(bank.ok());
    EXPECT_EQ(bank.value.line(1), "  spaced  ");
    EXPECT_FALSE(LoadBankFile(dir.filePath(QStringLiteral("none.faq"))).ok());
}
