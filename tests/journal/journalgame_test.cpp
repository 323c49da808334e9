// What a game leaves in the journal: driven through the window as a student plays, read back
// through the teacher's read-only side.

#include "journalfixture.h"

#include "phrases.h"

#include <QCryptographicHash>
#include <QTextEdit>

namespace {

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// "B. Нет 4 a" gives "Нет 4 a".
QString shownText(const QString &caption)
{
    return caption.mid(3);
}

// The bank answer a caption of the test bank shows: 1 right, 2..4 the wrong ones a, b, c.
int bankAnswer(const QString &text)
{
    if (text.startsWith(QStringLiteral("Верно")))
        return 1;
    return text.endsWith(QLatin1Char('a')) ? 2 : text.endsWith(QLatin1Char('b')) ? 3 : 4;
}

} // namespace

class Journal : public JournalFixture
{
protected:
    QStringList captions() const
    {
        QStringList shown;
        for (int tag = 1; tag <= 4; ++tag)
            shown << form->FaqBtn[static_cast<size_t>(tag)]->Caption();
        return shown;
    }
};

TEST_F(Journal, WholeGameWritesEveryAnswerWithItsLifelines)
{
    TForm1 &f = startJournalled();
    const qint64 started = clock.wall;
    newGame(QStringLiteral("тест"), QStringLiteral("Петров П.П."));
    const QStringList first = captions();
    const QString firstQuestion = f.Memo1->toPlainText();
    const int firstRight = rightButton();
    f.N50501->trigger();
    const QStringList blanked = captions();
    f.N4->trigger();
    const QList<AudienceBar> bars = chart;
    f.N5->trigger();
    clock.advance(4321);
    answerRight();
    climbTo(12);
    const QStringList last = captions();
    const int wrong = wrongButton();
    form->FaqBtn[static_cast<size_t>(wrong)]->Click(); // the twelfth click of the run: the host teases
    ASSERT_EQ(f.Game.CurrentLevel, 12);
    clock.advance(1500);
    form->FaqBtn[static_cast<size_t>(wrong)]->Click();
    ASSERT_EQ(f.Game.CurrentLevel, 0);

    const QList<JournalGame> g = games();
    ASSERT_EQ(g.size(), 1);
    EXPECT_EQ(g[0].lesson, QStringLiteral("ТЕСТ"));
    EXPECT_EQ(g[0].student, QStringLiteral("ПЕТРОВ П.П."));
    EXPECT_EQ(g[0].machine, QStringLiteral("ПК-7"));
    EXPECT_EQ(g[0].bankFile, QFileInfo(folder + QStringLiteral("lesson.faq")).absoluteFilePath());
    EXPECT_EQ(g[0].bankSha256, sha256(testutil::readBytes(folder + QStringLiteral("lesson.faq"))));
    EXPECT_EQ(g[0].started.toMSecsSinceEpoch(), started);
    EXPECT_EQ(g[0].ended.toMSecsSinceEpoch(), clock.wall);
    EXPECT_EQ(g[0].ending, GameEnding::Wrong);
    EXPECT_EQ(g[0].levelsPassed, 11);
    EXPECT_EQ(g[0].grade, QStringLiteral("Хорошо"));

    const QList<JournalAnswer> a = answers();
    ASSERT_EQ(a.size(), 12);
    for (int level = 1; level <= 12; ++level) {
        EXPECT_EQ(a[level - 1].level, level);
        EXPECT_EQ(a[level - 1].game, g[0].id);
    }
    const JournalAnswer &one = a[0];
    EXPECT_EQ(one.question, firstQuestion);
    EXPECT_EQ(one.question, QStringLiteral("Вопрос 1.%1").arg(one.bankIndex));
    EXPECT_EQ(one.questionSha256,
              sha256(*cp1251::encode(QStringLiteral("Вопрос 1.%1|Верно 1|Нет 1 a|Нет 1 b|Нет 1 c|").arg(one.bankIndex))));
    for (int b = 1; b <= 4; ++b)
        EXPECT_EQ(one.answers[static_cast<size_t>(b)], shownText(first[b - 1]));
    EXPECT_EQ(one.rightButton, firstRight);
    EXPECT_EQ(one.clickedButton, firstRight);
    EXPECT_EQ(one.chosen, 1);
    EXPECT_EQ(one.ms, 4321);
    QList<int> blanks;
    for (int b = 1; b <= 4; ++b) {
        if (blanked[b - 1].isEmpty())
            blanks << b;
    }
    EXPECT_EQ((QList<int>{one.fiftyBlanked[0], one.fiftyBlanked[1]}), blanks);
    ASSERT_TRUE(one.votes.has_value());
    ASSERT_EQ(bars.size(), 2);
    for (const AudienceBar &bar : bars)
        EXPECT_EQ((*one.votes)[static_cast<size_t>(bar.label[0].unicode() - 'A' + 1)], bar.votes) << bar.label.toStdString();
    EXPECT_TRUE(one.friendReply.contains(QStringLiteral("Верно 1"))) << one.friendReply.toStdString();
    EXPECT_TRUE(one.tease.isEmpty());

    const JournalAnswer &twelve = a[11];
    EXPECT_EQ(twelve.clickedButton, wrong);
    EXPECT_EQ(twelve.chosen, bankAnswer(shownText(last[wrong - 1])));
    EXPECT_GE(twelve.chosen, 2);
    EXPECT_EQ(twelve.ms, 1500);
    EXPECT_EQ(twelve.tease, cp1251::decode(DoubtPhrases(12)));
    EXPECT_FALSE(twelve.votes.has_value());
    EXPECT_TRUE(twelve.friendReply.isEmpty());
    EXPECT_EQ(twelve.fiftyBlanked, (std::array<int, 2>{0, 0}));
    EXPECT_TRUE(problem().isEmpty()) << problem().toStdString();
}

TEST_F(Journal, EachEndingLeavesItsGameRow)
{
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Стопов"));
    climbTo(3);
    f.N50501->trigger();
    f.N6->trigger();
    clock.advance(60000);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Ошибкин"));
    answerWrong();
    clock.advance(60000);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Победов"));
    climbTo(16);
    clock.advance(60000);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Бросов"));
    climbTo(2);
    clock.advance(60000);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Следующий")); // F2 over a game: it stays unfinished
    ASSERT_EQ(f.Game.CurrentLevel, 1);

    const QList<JournalGame> g = games();
    ASSERT_EQ(g.size(), 5);
    EXPECT_EQ(g[0].ending, GameEnding::Stop);
    EXPECT_EQ(g[0].levelsPassed, 2);
    EXPECT_EQ(g[0].grade, QStringLiteral("Неудовлетворительно"));
    EXPECT_EQ(g[1].ending, GameEnding::Wrong);
    EXPECT_EQ(g[1].levelsPassed, 0);
    EXPECT_EQ(g[2].ending, GameEnding::Won);
    EXPECT_EQ(g[2].levelsPassed, 15);
    EXPECT_EQ(g[2].grade, QStringLiteral("Отлично"));
    EXPECT_EQ(g[3].student, QStringLiteral("БРОСОВ"));
    EXPECT_FALSE(g[3].ending.has_value());
    EXPECT_FALSE(g[3].ended.isValid());
    EXPECT_EQ(g[3].levelsPassed, -1);
    EXPECT_FALSE(g[4].ending.has_value());

    // The question the student stopped on is kept, unanswered, with the lifeline used on it.
    QList<JournalAnswer> stopped;
    for (const JournalAnswer &a : answers()) {
        if (a.game == g[0].id)
            stopped << a;
    }
    ASSERT_EQ(stopped.size(), 3);
    EXPECT_EQ(stopped[2].level, 3);
    EXPECT_EQ(stopped[2].clickedButton, 0);
    EXPECT_EQ(stopped[2].chosen, 0);
    EXPECT_EQ(stopped[2].ms, -1);
    EXPECT_NE(stopped[2].fiftyBlanked[0], 0);
}

TEST_F(Journal, StrictAttemptsRefuseAGameLeftUnfinished)
{
    writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[настройки]\r\nПопытка=Строго\r\n");
    startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Беглецов"));
    answerRight();
    dialogs.leaves.push_back(true);
    form->N8->trigger(); // Alt+X, and the student says to leave the game
    EXPECT_EQ(terminated, 1);

    // The next run of the program on this machine.
    form.reset();
    journal = std::make_unique<JournalThread>(folder, QStringLiteral("ПК-7"), clock.clock());
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("беглецов"));
    EXPECT_EQ(timeline.events.last(), QStringLiteral("error: Нельзя дважды отвечать на вопросы теста!"));
    EXPECT_EQ(f.Game.CurrentLevel, 0);
    EXPECT_EQ(games().size(), 1);

    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Другой"));
    EXPECT_EQ(f.Game.CurrentLevel, 1);
}

// DEMO and ДЕМО name one bank: a game left under one is the attempt at the other.
TEST_F(Journal, StrictAttemptsCountAGameLeftUnderTheLessonsOtherCode)
{
    writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[TEST]\r\nВопросник=lesson.faq\r\n[настройки]\r\nПопытка=строго\r\n");
    startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Беглецов"));
    answerRight();
    dialogs.leaves.push_back(true);
    form->N8->trigger(); // Alt+X, confirmed: the program ends at once

    form.reset();
    journal = std::make_unique<JournalThread>(folder, QStringLiteral("ПК-7"), clock.clock());
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("test"), QStringLiteral("беглецов"));
    EXPECT_EQ(timeline.events.last(), QStringLiteral("error: Нельзя дважды отвечать на вопросы теста!"));
    EXPECT_EQ(f.Game.CurrentLevel, 0);
}

// The teacher sees the question a student walked away from, whichever way he left.
TEST_F(Journal, TheQuestionOnScreenWhenAGameIsLeftIsKeptAsShown)
{
    for (QAction *leave : {startJournalled().N8, form->N2}) {
        clock.advance(60000); // the second game starts later, so it reads back after the first
        newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Уходящий"));
        answerRight();
        form->N4->trigger();
        const QString question = form->Memo1->toPlainText();
        dialogs.leaves.push_back(true);
        leave->trigger();
        const QList<JournalAnswer> kept = answers();
        ASSERT_FALSE(kept.isEmpty()) << leave->text().toStdString();
        EXPECT_EQ(kept.last().level, 2) << leave->text().toStdString();
        EXPECT_EQ(kept.last().question, question);
        EXPECT_EQ(kept.last().clickedButton, 0);
        EXPECT_TRUE(kept.last().votes.has_value()) << "the lifeline used on it";
    }
    EXPECT_EQ(answers().size(), 4);
    EXPECT_EQ(terminated, 1);
}

TEST_F(Journal, WithoutStrictAttemptsAGameLeftUnfinishedMayBeSatAgain)
{
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Беглецов"));
    answerRight();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Беглецов"));
    EXPECT_EQ(f.Game.CurrentLevel, 1);
    EXPECT_FALSE(timeline.events.join(QLatin1Char('\n')).contains(QStringLiteral("error:")));
    EXPECT_EQ(games().size(), 2);
}

TEST_F(Journal, GameTheBankCouldNotGoOnWithIsEndedWithoutAGradeAndNeverCountsAsAnAttempt)
{
    writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[настройки]\r\nПопытка=строго\r\n");
    writeBank(folder + QStringLiteral("lesson.faq"), 3, 2);
    TForm1 &f = startJournalled();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Невезучий"));
    answerRight(); // level 2 has no question
    ASSERT_EQ(f.Game.CurrentLevel, 0);

    const QList<JournalGame> g = games();
    ASSERT_EQ(g.size(), 1);
    EXPECT_EQ(g[0].ending, GameEnding::NoQuestion);
    EXPECT_TRUE(g[0].ended.isValid());
    EXPECT_EQ(g[0].levelsPassed, -1);
    EXPECT_TRUE(g[0].grade.isEmpty());
    EXPECT_EQ(answers().size(), 1);

    writeBank(folder + QStringLiteral("lesson.faq"), 3);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Невезучий"));
    EXPECT_EQ(f.Game.CurrentLevel, 1);
}
