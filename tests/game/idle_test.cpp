// What a game leaves behind when it ends, and the small things of the window a player meets:
// the idle screen, the illustration pane, the milestone banners, the status bar and the cursors.

#include "gamefixture.h"

#include "pictures.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

class IdleScreen : public GameFixture
{
protected:
    void writeIllustratedBank()
    {
        QByteArray bank;
        for (int level = 1; level <= kLevels; ++level) {
            bank += "[" + QByteArray::number(level) + "]\r\n";
            const QString picture = level == 2 ? QStringLiteral("map.png") : QString();
            const QString line = QStringLiteral("Вопрос %1|Верно %1|Нет %1 a|Нет %1 b|Нет %1 c|%2").arg(level).arg(picture);
            bank += ScrambleText(*cp1251::encode(line)) + "\r\n";
        }
        testutil::writeBytes(folder + QStringLiteral("lesson.faq"), bank);
    }
};

TEST_F(IdleScreen, BoardIsHiddenWhenALevelHasNoQuestionAfterACorrectAnswer)
{
    writeBank(folder + QStringLiteral("lesson.faq"), 2, 2);
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Пустов"));
    answerRight(); // the board shows "* 100 *", then level 2 has no line
    EXPECT_EQ(f.Game.CurrentLevel, 0);
    EXPECT_FALSE(f.Tablo->isVisibleTo(&f));
    EXPECT_FALSE(f.Memo1->isVisibleTo(&f));
    EXPECT_EQ(f.Timer2->interval(), TForm1::kIdleExitMs);
}

TEST_F(IdleScreen, BoardIsHiddenWhenTheResultCannotBeWritten)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Нечитаемый"));
    for (int level = 1; level < 15; ++level) {
        answerRight();
        if (f.Game.CurrentLevel == level)
            answerRight();
    }
    // The results file turns into a folder before the last answer: the record cannot be written.
    QDir().mkpath(ResultsFilePath(folder));
    answerRight();
    EXPECT_EQ(timeline.events.filter(QStringLiteral("failure: ")).size(), 1);
    EXPECT_FALSE(f.Tablo->isVisibleTo(&f));
    EXPECT_EQ(f.Game.CurrentLevel, 0);
}

TEST_F(IdleScreen, IllustrationFoldsAwayWhenTheGameStopsOrANewOneStarts)
{
    writeIllustratedBank();
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Картинкин"));
    EXPECT_EQ(f.WebBrowser1->height(), 1);
    answerRight();
    ASSERT_EQ(f.Game.CurrentLevel, 2);
    EXPECT_EQ(f.WebBrowser1->height(), 240);
    f.N6->trigger(); // stop, F6
    EXPECT_EQ(f.WebBrowser1->height(), 1);

    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Второй"));
    answerRight();
    EXPECT_EQ(f.WebBrowser1->height(), 240);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Третий")); // F2 in the middle of a game
    EXPECT_EQ(f.Game.CurrentLevel, 1);
    EXPECT_EQ(f.WebBrowser1->height(), 1);
}

TEST_F(IdleScreen, AnswerCaptionsAreDrawnPlain)
{
    TForm1 &f = startWatched();
    for (int tag = 1; tag <= 4; ++tag)
        EXPECT_EQ(f.FaqBtn[static_cast<size_t>(tag)]->TextStyle(), TGradBtn::tsNormal);
    // A plain caption has no white highlight beside its black-free strokes: only the font colour.
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Чистописцев"));
    f.FaqBtn[1]->setFontColor(QColor(0xFF, 0x00, 0xFF));
    const QImage face = f.FaqBtn[1]->grab().toImage();
    int magenta = 0;
    int white = 0;
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            const QColor c = face.pixelColor(x, y);
            magenta += c == QColor(0xFF, 0x00, 0xFF);
            white += c.red() > 0xF0 && c.green() > 0xF0 && c.blue() > 0xF0;
        }
    }
    EXPECT_GT(magenta, 20);
    EXPECT_EQ(white, 0);
}

TEST_F(IdleScreen, MilestoneBannersComeAtLevelsFiveAndTenOnly)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Вехов"));
    QMap<int, QString> milestones;
    while (f.Game.CurrentLevel >= 1 && f.Game.CurrentLevel <= 15) {
        const int level = f.Game.CurrentLevel;
        timeline.events.clear();
        answerRight();
        for (const QString &e : timeline.events) {
            if (e.startsWith(QStringLiteral("banner:")) && e.endsWith(QStringLiteral("[#000000 on #00ff00]")))
                milestones.insert(level, e);
        }
    }
    EXPECT_EQ(milestones.keys(), (QList<int>{5, 10}));
    EXPECT_EQ(milestones.value(5), QStringLiteral("banner:  ВАШИ ЗНАНИЯ ОЦЕНЕНЫ НА УДОВЛЕТВОРИТЕЛЬНО! [#000000 on #00ff00]"));
    EXPECT_EQ(milestones.value(10), QStringLiteral("banner:  ВЫ ЗАРАБОТАЛИ ОЦЕНКУ ХОРОШО! [#000000 on #00ff00]"));
}

TEST_F(IdleScreen, OnlyALeftClickOnTheStatusBarMinimises)
{
    TForm1 &f = startWatched();
    f.show();
    timeline.events.clear();
    QTest::mouseClick(f.StatusBar1, Qt::RightButton, {}, QPoint(10, 5));
    QTest::mouseClick(f.StatusBar1, Qt::MiddleButton, {}, QPoint(10, 5));
    EXPECT_TRUE(timeline.events.isEmpty());
    EXPECT_FALSE(f.isMinimized());
    QTest::mouseClick(f.StatusBar1, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip pause background")});
}

TEST_F(IdleScreen, TheGamesArrowIsTheProgramsArrow)
{
    TForm1 &f = startWatched();
    f.show();
    const auto isNorm = [](const QCursor &c) {
        return c.shape() == Qt::BitmapCursor && c.hotSpot() == QPoint(0, 0) && c.pixmap().size() == QSize(32, 32);
    };
    EXPECT_TRUE(isNorm(f.cursor()));
    EXPECT_TRUE(isNorm(f.Edit[1]->cursor()));
    f.N1->popup(QPoint(0, 0)); // a menu is a window of its own
    EXPECT_TRUE(isNorm(f.N1->cursor()));
    f.N1->hide();
    QWidget box;
    box.show(); // so is every box the program opens
    EXPECT_TRUE(isNorm(box.cursor()));
    // The hand stays where the game asks for it.
    EXPECT_EQ(f.Image1->cursor().hotSpot(), QPoint(12, 1));
}

TEST_F(IdleScreen, ANewBankLeavesNoLinesOfTheOldOne)
{
    TForm1 &f = startWatched();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Первый"));
    EXPECT_FALSE(f.FaqStr.empty());
    answerWrong();
    dialogs.answer(QStringLiteral("ТЕСТ"));
    dialogs.answer(std::nullopt); // the bank is read again, then the name is not given
    f.N2->trigger();
    EXPECT_TRUE(f.FaqStr.empty());
}
