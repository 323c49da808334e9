// A level move finds its question in the open bank by the hash the journal keeps of the bank
// line, wherever the question stands now, and never moves another question in its place.

#include "analysislab.h"

#include "levelmoveedit.h"

using namespace analysistest;

namespace {

QString hashOf(const QByteArray &line)
{
    return QString::fromLatin1(QCryptographicHash::hash(line, QCryptographicHash::Sha256).toHex());
}

LevelMove moveOf(const QString &sha256, int from, int index, int to)
{
    LevelMove m;
    m.sha256 = sha256;
    m.question = QStringLiteral("вопрос");
    m.fromLevel = from;
    m.bankIndex = index;
    m.toLevel = to;
    return m;
}

} // namespace

TEST(LevelMoveEdit, ALineWithoutItsIllustrationFieldIsFoundByItsHash)
{
    BankDocument doc;
    EditorBank bank = namedBank({});
    doc.reset(bank);
    // A bank line of five fields, as banks written by hand hold it: no "|" for an illustration.
    const QByteArray line = *cp1251::encode(QStringLiteral("Вопрос У4В0?|верный У4В0|неверный 1 У4В0|неверный 2 У4В0|неверный 3 У4В0"));
    const auto place = FindQuestionByHash(doc, hashOf(line), 4, 0);
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->level, 4);
    EXPECT_EQ(place->row, 0);
}

TEST(LevelMoveEdit, AReorderedBankStillHasItsQuestionMovedAsOneStep)
{
    BankDocument doc;
    EditorBank bank = namedBank({0, 3});
    const QString hard = lineHash(bank.levels[1][2]);
    std::swap(bank.levels[1][0], bank.levels[1][2]); // reordered after the games
    doc.reset(bank);
    EXPECT_EQ(ApplyLevelMove(doc, moveOf(hard, 1, 2, 7)), QString());
    EXPECT_EQ(doc.undoStack()->count(), 1);
    EXPECT_EQ(doc.count(1), 2);
    EXPECT_EQ(doc.question(7, 1).question, QStringLiteral("Вопрос У1В2?"));
}

TEST(LevelMoveEdit, AQuestionEditedSinceTheGamesIsNotMoved)
{
    BankDocument doc;
    EditorBank bank = namedBank({0, 3});
    const QString hash = lineHash(bank.levels[1][1]);
    bank.levels[1][1].right = QStringLiteral("исправленный ответ");
    doc.reset(bank);
    const QString refused = ApplyLevelMove(doc, moveOf(hash, 1, 1, 5));
    EXPECT_TRUE(refused.contains(QStringLiteral("нет в открытом вопроснике"))) << refused.toStdString();
    EXPECT_EQ(doc.undoStack()->count(), 0);
    EXPECT_EQ(doc.count(1), 3);
}

TEST(LevelMoveEdit, OfTwoEqualLinesTheOneTheGamesWereAskedIsMoved)
{
    BankDocument doc;
    EditorBank bank = namedBank({0, 1, 1});
    bank.levels[2][0] = bank.levels[1][0];
    doc.reset(bank);
    const auto consent = [](const QString &) { return true; }; // level 2 is left empty on purpose
    EXPECT_EQ(ApplyLevelMove(doc, moveOf(lineHash(bank.levels[1][0]), 2, 0, 9), consent), QString());
    EXPECT_EQ(doc.count(1), 1);
    EXPECT_EQ(doc.count(2), 0);
}

// The only question of a level: moving it makes the lesson unplayable. The teacher is told so and
// the move is made only when she agrees; without anyone to ask it is never made.
TEST(LevelMoveEdit, AMoveThatEmptiesALevelIsMadeOnlyWithConsent)
{
    const EditorBank bank = namedBank({0, 3});
    const QString only = lineHash(bank.levels[5][0]);
    struct Case {
        const char *name;
        std::optional<bool> answer; ///< nothing: no one is asked
        bool moved;
    };
    for (const Case &c : {Case{"nobody asked", std::nullopt, false}, Case{"refused", false, false}, Case{"agreed", true, true}}) {
        SCOPED_TRACE(c.name);
        BankDocument doc;
        doc.reset(bank);
        QString asked;
        EmptyingConsent consent;
        if (c.answer)
            consent = [&](const QString &why) { asked = why; return *c.answer; };
        const QString refused = ApplyLevelMove(doc, moveOf(only, 5, 0, 1), consent);
        EXPECT_EQ(refused.isEmpty(), c.moved) << refused.toStdString();
        EXPECT_EQ(doc.count(5), c.moved ? 0 : 1);
        EXPECT_EQ(doc.undoStack()->count(), c.moved ? 1 : 0);
        if (c.answer)
            EXPECT_TRUE(asked.contains(QStringLiteral("уровень 5 останется без вопросов"))) << asked.toStdString();
    }
}
