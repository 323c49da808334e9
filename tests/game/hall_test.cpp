// The hall is the class: with "Зал=класс" in the settings, asking the audience shows how this
// lesson's students answered the question on screen, as the journals of the program folder hold
// it. Other students' games are written by a real journal of another machine; the window keeps
// its own journal, where the votes it showed are read back.

#include "lifelinesfixture.h"

#include "audience.h"
#include "classanswers.h"
#include "cp1251.h"
#include "gamejournal.h"
#include "journalfiles.h"
#include "journalreader.h"

#include <QAction>
#include <QTest>

namespace {

const QString kOtherMachine = QStringLiteral("ПК-1");
const QString kThisMachine = QStringLiteral("ПК-7");

/// Question i of level 1 of the fixture's bank, with its answers on the buttons in bank order.
ShownQuestion levelOneQuestion(int i)
{
    const auto bytes = [](const QString &text) { return *cp1251::encode(text); };
    ShownQuestion q;
    q.level = 1;
    q.bankIndex = i;
    q.line = bytes(QStringLiteral("Вопрос 1.%1|Верно 1|Нет 1 a|Нет 1 b|Нет 1 c|").arg(i));
    q.question = bytes(QStringLiteral("Вопрос 1.%1").arg(i));
    q.answers = {QByteArray(), bytes(QStringLiteral("Верно 1")), bytes(QStringLiteral("Нет 1 a")),
                 bytes(QStringLiteral("Нет 1 b")), bytes(QStringLiteral("Нет 1 c"))};
    q.order = "1234";
    return q;
}

} // namespace

class Hall : public LifelinesFixture
{
protected:
    void SetUp() override
    {
        LifelinesFixture::SetUp();
        // One question a level: the class's answers are written for the one that comes up.
        writeBank(folder + QStringLiteral("lesson.faq"), 1);
    }
    void TearDown() override
    {
        LifelinesFixture::TearDown();
        own.reset();
    }

    void hallIsClass() { writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[Настройки]\r\nзал=Класс\r\n"); }

    /// Games of other students of a lesson, on another machine: each answers the question of
    /// level 1 and ends; chosen[k] students clicked bank answer k (1 right, 2..4 wrong a..c).
    void classAnswered(const std::array<int, 5> &chosen, const QByteArray &lesson = "\xD2\xC5\xD1\xD2")
    {
        GameJournal other(folder, kOtherMachine, JournalClock::system(), JournalSync::Normal);
        int student = 0;
        for (int k = 1; k <= 4; ++k) {
            for (int n = 0; n < chosen[static_cast<size_t>(k)]; ++n) {
                other.gameStarted({lesson, "STUDENT " + QByteArray::number(++student), folder + QStringLiteral("lesson.faq")});
                other.questionShown(levelOneQuestion(0));
                other.answered(k);
                other.gameEnded(k == 1 ? GameEnding::Stop : GameEnding::Wrong, k == 1 ? 2 : 1);
            }
        }
    }

    /// The window, shown and active, keeping this machine's journal in the folder.
    TForm1 &startJournalled()
    {
        own = std::make_unique<GameJournal>(folder, kThisMachine, JournalClock::system(), JournalSync::Normal);
        FormServices s = services(watching);
        s.recorder = own.get();
        form = std::make_unique<TForm1>(s);
        form->show();
        QApplication::setActiveWindow(form.get());
        return *form;
    }

    /// The votes on the chart per button [1..4]; 0 for a button without a bar.
    std::array<int, 5> chartVotes() const
    {
        std::array<int, 5> votes{};
        for (const AudienceBar &bar : chart)
            votes[static_cast<size_t>(bar.label[0].unicode() - 'A' + 1)] = bar.votes;
        return votes;
    }

    /// The chart's votes per bank answer of level 1 [1..4], found by the captions on screen.
    std::array<int, 5> chartByBankAnswer() const
    {
        const QStringList texts{QString(), QStringLiteral("Верно 1"), QStringLiteral("Нет 1 a"),
                                QStringLiteral("Нет 1 b"), QStringLiteral("Нет 1 c")};
        const std::array<int, 5> onButton = chartVotes();
        std::array<int, 5> byAnswer{};
        for (int tag = 1; tag <= 4; ++tag) {
            const QString caption = form->FaqBtn[static_cast<size_t>(tag)]->Caption();
            for (int k = 1; k <= 4; ++k) {
                if (caption.endsWith(QStringLiteral(". ") + texts[k]))
                    byAnswer[static_cast<size_t>(k)] = onButton[static_cast<size_t>(tag)];
            }
        }
        return byAnswer;
    }

    /// The votes this machine's journal keeps with its first answer.
    std::optional<std::array<int, 5>> recordedVotes() const
    {
        const auto reader = JournalReader::open(JournalFilePath(folder, kThisMachine));
        EXPECT_TRUE(reader.ok()) << reader.error.toStdString();
        const auto rows = reader.ok() ? reader.value->answers().value : QList<JournalAnswer>{};
        return rows.isEmpty() ? std::nullopt : rows.first().votes;
    }

    /// The poll as the window casts it, from a copy of its source of chance as it stands now.
    std::array<int, 5> pollFromHere() const
    {
        SeededRandom same = random;
        return AudienceVotes(form->Game.CorrectButton, same);
    }

    std::unique_ptr<GameJournal> own;
};

TEST_F(Hall, TheChartShowsTheClassSharesOnTheButtonsThatHoldTheAnswersNow)
{
    classAnswered({0, 12, 6, 2, 0});
    hallIsClass();
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("тест"), QStringLiteral("Классов"));
    timeline.events.clear();
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_EQ(chart.size(), 4);
    EXPECT_EQ(chartByBankAnswer(), (std::array<int, 5>{0, 30, 15, 5, 0}));
    const int right = rightButton();
    EXPECT_TRUE(AudienceMarks(chart).contains(QString(QLatin1Char(char('A' + right - 1))) + QStringLiteral(" 60 %")));
    // The chart, its colours and its sound as ever.
    ASSERT_EQ(timeline.events.size(), 2);
    EXPECT_TRUE(timeline.events[0].startsWith(QStringLiteral("chart: A ")));
    EXPECT_EQ(timeline.events[1], QStringLiteral("clip zal background"));
    EXPECT_EQ(chart[1].colour, QColor(0x00, 0xFF, 0x00));
    const std::array<int, 5> shown = chartVotes();
    answerRight();
    EXPECT_EQ(recordedVotes(), shown);
}

TEST_F(Hall, NineteenAnswersOrAnotherLessonsLeaveThePollAsItWas)
{
    classAnswered({0, 11, 6, 2, 0});
    classAnswered({0, 5, 0, 0, 0}, "\xC4\xD0\xD3\xC3\xCE\xC9"); // ДРУГОЙ
    hallIsClass();
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Малов"));
    const std::array<int, 5> poll = pollFromHere();
    QTest::keyClick(&f, Qt::Key_F3);
    EXPECT_EQ(chartVotes(), poll);
}

TEST_F(Hall, WithoutTheSettingThePollIsAsItWas)
{
    classAnswered({0, 12, 6, 2, 0});
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Обычнов"));
    const std::array<int, 5> poll = pollFromHere();
    QTest::keyClick(&f, Qt::Key_F3);
    EXPECT_EQ(chartVotes(), poll);
    answerRight();
    EXPECT_EQ(recordedVotes(), poll);
}

TEST_F(Hall, ADamagedJournalInTheFolderIsPassedOver)
{
    // Read first, being first by name.
    testutil::writeBytes(JournalFilePath(folder, QStringLiteral("ПК-0")), QByteArray(8192, 'x'));
    classAnswered({0, 12, 6, 2, 0});
    hallIsClass();
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Битов"));
    QTest::keyClick(&f, Qt::Key_F3);
    EXPECT_TRUE(f.Panel2->isVisibleTo(&f));
    EXPECT_TRUE(timeline.events.contains(QStringLiteral("clip zal background")));
    EXPECT_EQ(chartByBankAnswer(), (std::array<int, 5>{0, 30, 15, 5, 0}));
    EXPECT_EQ(testutil::readBytes(JournalFilePath(folder, QStringLiteral("ПК-0"))), QByteArray(8192, 'x'));
}

TEST_F(Hall, AfterFiftyFiftyTheTwoAnswersLeftShareTheFiftyVotes)
{
    classAnswered({0, 12, 2, 1, 6});
    hallIsClass();
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Половинкин"));
    QTest::keyClick(&f, Qt::Key_F5);
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_EQ(chart.size(), 2);
    // The right answer's 12 against the class's answers to the wrong one left: 2, 1 or 6.
    int kept = 0;
    for (int tag = 1; tag <= 4; ++tag) {
        const QString caption = f.FaqBtn[static_cast<size_t>(tag)]->Caption();
        if (!caption.isEmpty() && tag != rightButton())
            kept = caption.endsWith(QStringLiteral(" a")) ? 2 : caption.endsWith(QStringLiteral(" b")) ? 3 : 4;
    }
    ASSERT_NE(kept, 0);
    const std::array<std::pair<int, int>, 5> expected{{{}, {}, {43, 7}, {46, 4}, {33, 17}}};
    const std::array<int, 5> byAnswer = chartByBankAnswer();
    EXPECT_EQ(byAnswer[1], expected[static_cast<size_t>(kept)].first);
    EXPECT_EQ(byAnswer[static_cast<size_t>(kept)], expected[static_cast<size_t>(kept)].second);
    const std::array<int, 5> shown = chartVotes();
    answerRight();
    // The blanked buttons had no votes: the fifty are all on the two shown.
    EXPECT_EQ(recordedVotes(), shown);
}

// The chart must not wait on slow journals: once the lookup's time is up, no journal more is read.
TEST_F(Hall, TheLookupReadsNoJournalOnceItsTimeIsUp)
{
    classAnswered({0, 12, 6, 2, 0});
    const QByteArray line = levelOneQuestion(0).line;
    EXPECT_EQ(GatherClassAnswers(folder, QStringLiteral("ТЕСТ"), line, 5000).chosen,
              (std::array<int, 5>{0, 12, 6, 2, 0}));
    EXPECT_EQ(GatherClassAnswers(folder, QStringLiteral("ТЕСТ"), line, 0).total(), 0);
}
