#include "gamefixture.h"

#include "counters.h"
#include "permissions.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <vector>

class WholeGame : public GameFixture
{
};

TEST_F(WholeGame, WinningAllFifteenRecordsExcellent)
{
    TForm1 &f = startWatched();
    QString boardDuringPause;
    bool recordedWhileBoardShown = false;
    watching.during = [&](int ms) {
        if (ms == 3000) {
            boardDuringPause = f.Label1->text();
            recordedWhileBoardShown = !record(QStringLiteral("ТЕСТ"), QStringLiteral("Петров П.П.")).isEmpty()
                && f.Tablo->isVisibleTo(&f);
        }
    };
    newGame(QStringLiteral("тест"), QStringLiteral("Петров П.П."));
    ASSERT_EQ(f.Game.CurrentLevel, 1);
    for (int level = 1; level <= kLevels; ++level) {
        ASSERT_EQ(f.Game.CurrentLevel, level);
        const bool tease = level == 12; // the twelfth click of the run teases at level 12
        answerRight();
        if (tease) {
            EXPECT_EQ(f.Game.CurrentLevel, 12);
            answerRight();
        }
    }
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Петров П.П.")), QStringLiteral("ПЕТРОВ П.П.|15|Отлично"));
    EXPECT_EQ(boardDuringPause, QStringLiteral("Оценка: Отлично"));
    EXPECT_TRUE(recordedWhileBoardShown);
    EXPECT_EQ(f.Game.CurrentLevel, 0);
    EXPECT_EQ(f.Timer2->interval(), 300000);
    EXPECT_TRUE(f.Timer2->isActive());
    EXPECT_FALSE(f.Tablo->isVisibleTo(&f));
    EXPECT_FALSE(f.N6->isEnabled());

    // The last correct answer: the remark, then the win banner with its fanfare, then the board.
    const int win = static_cast<int>(timeline.events.indexOf(
        QStringLiteral("banner: Это фантастика! Поздравляем! Вы получили ПЯТЕРКУ! [#ffffff on #800000]")));
    ASSERT_GT(win, 0);
    EXPECT_EQ(timeline.events.mid(win - 1, 6),
              (QStringList{QStringLiteral("banner closed"), timeline.events[win], QStringLiteral("clip MILLION to end"),
                           QStringLiteral("banner closed"), QStringLiteral("clip begin background"),
                           QStringLiteral("wait 3000")}));
}

TEST_F(WholeGame, WrongAnswersAtTheFirstAndLastLevels)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Сидоров"));
    answerWrong();
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Сидоров")), QStringLiteral("СИДОРОВ|0|Неудовлетворительно"));
    EXPECT_EQ(f.Game.CurrentLevel, 0);

    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Кузнецов"));
    while (f.Game.CurrentLevel < 15) {
        const int level = f.Game.CurrentLevel;
        answerRight();
        if (f.Game.CurrentLevel == level) // a tease: the same question again
            answerRight();
    }
    answerWrong();
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Кузнецов")), QStringLiteral("КУЗНЕЦОВ|14|Хорошо"));
}

TEST_F(WholeGame, StoppingKeepsTheGradeReached)
{
    TForm1 &f = startWatched();
    const std::vector<std::pair<int, QString>> stops = {{2, QStringLiteral("|1|Неудовлетворительно")},
                                                        {6, QStringLiteral("|5|Удовлетворительно")},
                                                        {11, QStringLiteral("|10|Хорошо")}};
    int player = 0;
    for (const auto &[stopAt, expected] : stops) {
        const QString name = QStringLiteral("Ученик %1").arg(++player);
        newGame(QStringLiteral("ТЕСТ"), name);
        f.N6->trigger(); // at level 1 nothing is secured: the stop does nothing
        EXPECT_EQ(f.Game.CurrentLevel, 1);
        // and does not look as if it could be pressed
        EXPECT_FALSE(f.N6->isEnabled());
        EXPECT_FALSE(f.SL4->isEnabled());
        while (f.Game.CurrentLevel < stopAt)
            answerRight();
        EXPECT_TRUE(f.N6->isEnabled());
        EXPECT_TRUE(f.SL4->isEnabled());
        timeline.events.clear();
        f.SL4->click();
        EXPECT_EQ(record(QStringLiteral("ТЕСТ"), name), name.toUpper() + expected);
        EXPECT_EQ(timeline.events.first(), QStringLiteral("clip final to end"));
    }
}

TEST_F(WholeGame, TeaseComesOnTheThirdRemarkFromLevelSixOnly)
{
    TForm1 &f = startWatched();
    // First game of the run: six clicks, then a stop.
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Первый"));
    for (int i = 0; i < 6; ++i)
        answerRight();
    EXPECT_EQ(f.Game.CurrentLevel, 7); // the third click, at level 3, was judged
    f.N6->trigger();
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Ответ"), -1).value, 6);

    // The counters go on: the seventh click of this game is the ninth... the third remark at level 6.
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Второй"));
    for (int i = 0; i < 5; ++i)
        answerRight();
    ASSERT_EQ(f.Game.CurrentLevel, 6);
    timeline.events.clear();
    const int wrong = wrongButton();
    f.FaqBtn[static_cast<size_t>(wrong)]->Click();
    EXPECT_EQ(timeline.events,
              (QStringList{QStringLiteral("clip btnclick background"),
                           QStringLiteral("banner: А если хорошенько подумать? [#ffff00 on #0000ff]"),
                           QStringLiteral("clip pause to end"), QStringLiteral("banner closed")}));
    EXPECT_EQ(f.Game.CurrentLevel, 6);
    EXPECT_EQ(f.FaqBtn[static_cast<size_t>(wrong)]->BeginColor(), QColor(0, 0, 0xFF)); // not judged
    EXPECT_TRUE(f.FaqBtn[1]->isVisibleTo(&f));
    answerRight();
    EXPECT_EQ(f.Game.CurrentLevel, 7);
}

// A lab folder the student's account cannot write: the game would be played for nothing and
// could be played again, so it does not start, and says why.
TEST_F(WholeGame, NoGameStartsWhoseGradeCouldNotBeRecorded)
{
    TForm1 &f = startWatched();
    const QString dirPath = QDir(folder).absolutePath();
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(dirPath, readOnly));
    bool applies = false;
    {
        const testutil::WithoutPermissionOverride asAnyUser;
        applies = testutil::FolderRefusesNewFiles(dirPath);
        if (applies)
            newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Орлов"));
    }
    QFile::setPermissions(dirPath, readOnly | QFileDevice::WriteOwner);
    if (!applies)
        GTEST_SKIP() << "the folder's permissions do not apply to this user";
    EXPECT_TRUE(timeline.events.contains(
        QStringLiteral("error: Результат игры нельзя будет записать: нет права записи в папку «%1». Обратитесь к учителю.")
            .arg(QDir::toNativeSeparators(dirPath))))
        << timeline.events.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(f.FaqBtn[1]->isVisibleTo(&f));
    EXPECT_FALSE(f.Timer2->isActive());
    EXPECT_FALSE(timeline.events.contains(QStringLiteral("clip gong to end")));
    EXPECT_FALSE(resultsFileExists());
}

// A character the files cannot hold is named in the refusal, by its code when it cannot be seen
// (a joiner pasted with a name, a combining accent).
TEST_F(WholeGame, ANameWithACharacterTheFilesCannotHoldIsRefusedNamingIt)
{
    startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Орлов\u200D"));
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Орлов\u00A7"));
    EXPECT_TRUE(timeline.events.contains(QStringLiteral(
        "error: Символ U+200D (невидимый) нельзя использовать: его нельзя сохранить в файлах программы.")))
        << timeline.events.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(timeline.events.contains(QStringLiteral("error: Символ «§» (U+00A7) нельзя сохранить в файле результатов.")));
    EXPECT_FALSE(resultsFileExists());
}

// The clock's tick that falls due while the host teases is not lost: it comes once the tease is
// over, once however many fell due, and it is what restarts the music at the end of a phase.
TEST_F(WholeGame, ATickDuringTheTeaseComesAfterIt)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Тикающий"));
    for (int i = 0; i < 5; ++i)
        answerRight();
    f.Game.RemarkIndex = 2; // the next click makes it 3: the tease, from level 6 on
    ASSERT_EQ(f.Game.CurrentLevel, 6);
    f.Game.PhaseTicks = f.Game.PhaseLength - 1;
    int ticksWhileShown = -1;
    banners.whileShown = [&] {
        QMetaObject::invokeMethod(f.Timer2, "timeout");
        QMetaObject::invokeMethod(f.Timer2, "timeout");
        ticksWhileShown = f.Game.PhaseTicks;
    };
    timeline.events.clear();
    f.FaqBtn[static_cast<size_t>(wrongButton())]->Click();
    banners.whileShown = nullptr;
    EXPECT_EQ(ticksWhileShown, f.Game.PhaseLength - 1); // nothing handled inside the tease
    EXPECT_EQ(f.Game.PhaseTicks, 0);                     // the phase ended after it, once
    EXPECT_EQ(timeline.events.mid(timeline.events.indexOf(QStringLiteral("banner closed"))),
              (QStringList{QStringLiteral("banner closed"), QStringLiteral("clip fon2 background")}));
    EXPECT_EQ(f.Game.CurrentLevel, 6);
}

TEST_F(WholeGame, SecondAttemptIsRefusedAndAbandonedGameIsNot)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Орлов"));
    answerRight();
    answerRight();
    // A new start abandons the game: no record, and the same player may start again.
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("орлов"));
    EXPECT_FALSE(resultsFileExists());
    EXPECT_EQ(f.Game.CurrentLevel, 1);
    answerWrong();
    const QByteArray file = testutil::readBytes(ResultsFilePath(folder));

    timeline.events.clear();
    newGame(QStringLiteral("тест"), QStringLiteral("ОРЛОВ"));
    EXPECT_TRUE(timeline.events.contains(QStringLiteral("error: Нельзя дважды отвечать на вопросы теста!")));
    // "ЛОРОВ" has the same letters, so the same checksum: the same player to the guard.
    newGame(QStringLiteral("тест"), QStringLiteral("Лоров"));
    EXPECT_EQ(timeline.events.count(QStringLiteral("error: Нельзя дважды отвечать на вопросы теста!")), 2);
    EXPECT_FALSE(f.FaqBtn[1]->isVisibleTo(&f));
    EXPECT_FALSE(f.Timer2->isActive());
    EXPECT_EQ(testutil::readBytes(ResultsFilePath(folder)), file);
    // Another lesson, with a bank of its own, is another matter.
    ASSERT_TRUE(QFile::copy(folder + QStringLiteral("lesson.faq"), folder + QStringLiteral("other.faq")));
    writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[ДРУГОЙ]\r\nВопросник=other.faq\r\n");
    newGame(QStringLiteral("другой"), QStringLiteral("Орлов"));
    EXPECT_EQ(f.Game.CurrentLevel, 1);
}

// F2, Alt+X and closing the window during a game ask first. Staying, the answer of Enter and
// Escape, leaves the game as it was; leaving does what the command does, with no record.
TEST_F(WholeGame, LeavingAGameAsksFirstAndStaysByDefault)
{
    TForm1 &f = startWatched();
    const QString asked = QStringLiteral("ask: Прервать игру? Оценка не будет записана. [Прервать | Продолжить игру]");
    const std::vector<std::pair<const char *, std::function<void()>>> ways = {
        {"F2", [&] { f.N2->trigger(); }},
        {"Alt+X", [&] { f.N8->trigger(); }},
        {"close", [&] { f.close(); }},
    };
    for (const auto &[name, leave] : ways) {
        newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Остаёмов"));
        answerRight();
        timeline.events.clear();
        leave();
        EXPECT_EQ(timeline.events, QStringList{asked}) << name;
        EXPECT_EQ(f.Game.CurrentLevel, 2) << name;
        EXPECT_TRUE(f.FaqBtn[1]->isVisibleTo(&f)) << name;
        EXPECT_EQ(terminated, std::string(name) == "close" ? 1 : 0) << name; // Alt+X left before
        answerRight();
        EXPECT_EQ(f.Game.CurrentLevel, 3) << name << ": the game goes on";

        dialogs.leaves.push_back(true);
        leave();
        EXPECT_EQ(f.Game.CurrentLevel, 0) << name;
    }
    EXPECT_EQ(terminated, 1); // Alt+X, once the student said so
    EXPECT_FALSE(resultsFileExists());
    // With no game on screen nothing is asked.
    timeline.events.clear();
    f.N8->trigger();
    EXPECT_FALSE(timeline.events.contains(asked));
    EXPECT_EQ(terminated, 2);
}

TEST_F(WholeGame, StartsAreRefusedWithTheirMessages)
{
    TForm1 &f = startWatched();
    dialogs.answer(std::nullopt); // Cancel: an empty lesson code
    f.N2->trigger();
    dialogs.answer(QStringLiteral("ФИЗИКА")); // no such lesson
    f.N2->trigger();
    dialogs.answer(QStringLiteral("ТЕСТ"));
    dialogs.answer(std::nullopt); // Cancel: no name
    f.N2->trigger();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Ιωάννης"));
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Петров § 2"));
    QStringList errors;
    for (const QString &e : timeline.events) {
        if (e.startsWith(QStringLiteral("error: ")))
            errors << e.mid(7);
    }
    ASSERT_EQ(errors.size(), 5);
    EXPECT_EQ(errors[0], QStringLiteral("Код занятия не содержит вопросов!"));
    EXPECT_EQ(errors[1], QStringLiteral("Код занятия не содержит вопросов!"));
    EXPECT_EQ(errors[2], QStringLiteral("Фамилия и инициалы студента обязательны для заполнения!"));
    EXPECT_TRUE(errors[3].contains(QStringLiteral("Ι"))) << errors[3].toStdString();
    EXPECT_TRUE(errors[4].contains(QStringLiteral("§"))) << errors[4].toStdString();
    EXPECT_FALSE(resultsFileExists());
    EXPECT_EQ(f.Game.CurrentLevel, 0);
    EXPECT_FALSE(f.Timer2->isActive()); // refused starts leave no idle exit running

}

// Blanks alone name nobody: refused as an empty name, and no game is played to be recorded
// under a blank name.
TEST_F(WholeGame, ANameOfBlanksIsRefusedAsAnEmptyName)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("   "));
    EXPECT_EQ(timeline.events.filter(QStringLiteral("error: ")),
              QStringList{QStringLiteral("error: Фамилия и инициалы студента обязательны для заполнения!")});
    EXPECT_FALSE(f.FaqBtn[1]->isVisibleTo(&f));
    EXPECT_FALSE(f.N6->isEnabled());
    EXPECT_FALSE(resultsFileExists());
}

TEST_F(WholeGame, LevelWithoutQuestionsEndsWithoutARecord)
{
    writeBank(folder + QStringLiteral("lesson.faq"), 2, 3);
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Зайцев"));
    answerRight();
    answerRight();
    EXPECT_EQ(f.Game.CurrentLevel, 0);
    ASSERT_TRUE(timeline.events.filter(QStringLiteral("error: ")).size() == 1);
    const QString error = timeline.events.filter(QStringLiteral("error: ")).first();
    EXPECT_TRUE(error.contains(QStringLiteral("ТЕСТ")) && error.contains(QStringLiteral("lesson.faq"))
                && error.contains(QStringLiteral("уровня 3")))
        << error.toStdString();
    EXPECT_FALSE(resultsFileExists());
    EXPECT_FALSE(f.FaqBtn[1]->isVisibleTo(&f));
    EXPECT_EQ(f.Timer2->interval(), 300000);
    writeBank(folder + QStringLiteral("lesson.faq"), 2);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Зайцев"));
    EXPECT_EQ(f.Game.CurrentLevel, 1);
}

TEST_F(WholeGame, WithSoundOffAWrongAnswerTakesItsPauses)
{
    TForm1 &f = startWatched();
    f.MMZwuk->trigger();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Тихонов"));
    timeline.events.clear();
    answerWrong();
    EXPECT_EQ(timeline.events,
              (QStringList{QStringLiteral("wait 300"), QStringLiteral("wait 250"),
                           QStringLiteral("banner: Нужно ходить на лекции, вундеркинд! [#ffffff on #8080ff]"),
                           QStringLiteral("wait 2000"), QStringLiteral("banner closed"), QStringLiteral("wait 2000"),
                           QStringLiteral("wait 3000")}));
}

TEST_F(WholeGame, CorrectAnswerAtLevelFiveShowsTheMilestone)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Белов"));
    for (int i = 0; i < 4; ++i)
        answerRight();
    sound.markUnplayable(QStringLiteral("summa")); // its 2000 ms pause shows the board meanwhile
    QString boardDuringBanner;
    QColor clickedColour;
    const int right = rightButton();
    watching.during = [&](int ms) {
        if (ms == 250)
            clickedColour = f.FaqBtn[static_cast<size_t>(right)]->BeginColor();
        if (banners.open)
            boardDuringBanner = f.Label1->text();
    };
    timeline.events.clear();
    answerRight();
    EXPECT_EQ(timeline.events.mid(0, 9),
              (QStringList{QStringLiteral("clip btnclick background"), QStringLiteral("clip pause background"),
                           QStringLiteral("wait 300"), QStringLiteral("wait 250"),
                           QStringLiteral("banner:  ВАШИ ЗНАНИЯ ОЦЕНЕНЫ НА УДОВЛЕТВОРИТЕЛЬНО! [#000000 on #00ff00]"),
                           QStringLiteral("clip summa silent"), QStringLiteral("wait 2000"),
                           QStringLiteral("clip change to end"), QStringLiteral("banner closed")}));
    EXPECT_TRUE(timeline.events.contains(QStringLiteral("clip fon2 background")));
    EXPECT_EQ(boardDuringBanner, QStringLiteral("* 1000 *"));
    EXPECT_EQ(clickedColour, QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(f.Game.SecuredPoints, 1000);
    EXPECT_EQ(f.Game.PhaseLength, 16);
    EXPECT_EQ(banners.lastCaption, QStringLiteral("Таллори!"));
}

TEST_F(WholeGame, WrongClickShowsRedAndTheRightAnswerLime)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Волков"));
    const int right = rightButton();
    const int wrong = wrongButton();
    std::vector<QColor> atFirstWait;
    watching.during = [&](int ms) {
        if (ms == 250) {
            for (int tag = 1; tag <= 4; ++tag)
                atFirstWait.push_back(f.FaqBtn[static_cast<size_t>(tag)]->BeginColor());
        }
    };
    f.FaqBtn[static_cast<size_t>(wrong)]->Click();
    ASSERT_EQ(atFirstWait.size(), 4u);
    for (int tag = 1; tag <= 4; ++tag) {
        const QColor expected = tag == right ? QColor(0, 0xFF, 0) : tag == wrong ? QColor(0xFF, 0, 0) : QColor(0, 0, 0xFF);
        EXPECT_EQ(atFirstWait[static_cast<size_t>(tag - 1)], expected) << tag;
    }
}

TEST_F(WholeGame, NoSecondEvaluationWhileOneRuns)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Быстров"));
    int reentered = 0;
    watching.during = [&](int) {
        ++reentered;
        f.FaqBtn[1]->Click();
        f.N6->trigger();
        f.N2->trigger();
        f.Timer2Timer();
        f.N4->trigger();
        f.N5->trigger();
        f.N50501->trigger();
    };
    answerRight();
    EXPECT_GT(reentered, 0);
    EXPECT_EQ(f.Game.CurrentLevel, 2);
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip btnclick background")), 1);
    EXPECT_EQ(terminated, 0);
    // No lifeline was spent while the answer was being judged.
    EXPECT_TRUE(f.N4->isEnabled() && f.N5->isEnabled() && f.N50501->isEnabled());
}

TEST_F(WholeGame, KeysPlayAWholeGame)
{
    TForm1 &f = startWatched();
    f.show();
    QApplication::setActiveWindow(&f);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Клавишин"));
    QTest::keyClick(&f, static_cast<Qt::Key>(Qt::Key_0 + rightButton()));
    EXPECT_EQ(f.Game.CurrentLevel, 2);
    QTest::keyClick(&f, Qt::Key_F6);
    EXPECT_EQ(record(QStringLiteral("ТЕСТ"), QStringLiteral("Клавишин")), QStringLiteral("КЛАВИШИН|1|Неудовлетворительно"));
}

TEST_F(WholeGame, EachRunStartsTheRemarkCyclesAfresh)
{
    testutil::writeBytes(CounterStoreLocation(), testutil::w(u"[OTallory]\r\nОтвет=5\r\nЗвук=3\r\n"));
    startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Свежев"));
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Ответ"), -1).value, 0);
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Звук"), -1).value, 0);
    timeline.events.clear();
    answerWrong();
    // The first click of the run takes remark 1 and sound 1: the first wrong-answer phrase.
    EXPECT_TRUE(timeline.events.contains(
        QStringLiteral("banner: Нужно ходить на лекции, вундеркинд! [#ffffff on #8080ff]")));
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Ответ"), -1).value, 1);
    EXPECT_EQ(RegReadInteger(kCounterSection, testutil::w(u"Звук"), -1).value, 1);
}
