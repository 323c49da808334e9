#include "formfixture.h"

#include "counters.h"
#include "cp1251.h"
#include "gradbtn.h"
#include "pictures.h"
#include "programservices.h"
#include "zelgradient.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <qpa/qplatformwindow.h>

using testutil::w;

class MainWindow : public FormFixture
{
};

// The rule by which the window system plugins make a window's title from the one it is given.
struct PlatformTitle : QPlatformWindow {
    using QPlatformWindow::formatWindowTitle;
};

// The captions of the boxes are shown as they stand: the window system adds nothing to them.
TEST(ApplicationSetUp, WindowTitlesAreShownAsTheyStand)
{
    PrepareApplication(QStringLiteral("test"));
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Таллори!"));
    for (const QString &title : {QStringLiteral("Ошибка"), QStringLiteral("Тест-игра"), QStringLiteral("Представьтесь")})
        EXPECT_EQ(PlatformTitle::formatWindowTitle(title, QStringLiteral(" — ")), title);
}

TEST_F(MainWindow, AnswerButtonsAndToolbarFollowTheScreen)
{
    TForm1 &f = start(QSize(1024, 768));
    const QRect expected[] = {{}, {5, 656, 502, 28}, {517, 656, 502, 28}, {5, 688, 502, 28}, {517, 688, 502, 28}};
    for (int tag = 1; tag <= 4; ++tag)
        EXPECT_EQ(f.FaqBtn[tag]->geometry(), expected[tag]) << tag;
    EXPECT_EQ(f.SL4->x(), 782);
    EXPECT_EQ(f.SL1->x(), 850);
    EXPECT_EQ(f.SL2->x(), 908);
    EXPECT_EQ(f.SL3->x(), 966);
    EXPECT_EQ(f.SL7->geometry(), QRect(3, 3, 58, 32));
    EXPECT_EQ(f.SL8->x(), 61);
    EXPECT_EQ(f.SL6->x(), 206);
    EXPECT_EQ(f.Memo1->geometry().left(), 0);
    EXPECT_EQ(f.Memo1->width(), 1024);
    EXPECT_EQ(f.Tablo->width(), 1024);

    TForm1 &wide = start(QSize(1920, 1080));
    EXPECT_EQ(wide.FaqBtn[2]->geometry(), QRect(965, 968, 950, 28));
    EXPECT_EQ(wide.SL3->x(), 1862);
}

TEST_F(MainWindow, ScreenWithoutAProfileGetsEveryDefault)
{
    writeSettings(u"[1024x768]\r\nУровень-Слева=860\r\n");
    TForm1 &f = start(QSize(1280, 1024));
    EXPECT_EQ(f.Panel3->geometry(), QRect(635, 45, 160, 229));
    EXPECT_EQ(f.Memo1->y(), 480);
    EXPECT_EQ(f.Memo1->font().pointSize(), 16);
    EXPECT_EQ(f.FaqBtn[1]->font().pointSize(), 13);
    EXPECT_EQ(f.Tablo->height(), 50);
    EXPECT_EQ(f.Edit[15]->pos(), QPoint(26, 0));
    EXPECT_EQ(f.Edit[1]->pos(), QPoint(26, 210));
    for (int level = 1; level <= kLevels; ++level) {
        EXPECT_EQ(f.Edit[level]->height(), 15);
        // Every row shows its whole text inside the panel.
        EXPECT_GE(f.Edit[level]->width(), 100);
        EXPECT_GE(f.Edit[level]->width(), f.Edit[level]->fontMetrics().horizontalAdvance(f.Edit[level]->text()));
        EXPECT_LE(f.Edit[level]->x() + f.Edit[level]->width(), f.Panel3->contentsRect().width());
    }
}

TEST_F(MainWindow, LayoutProfileOfTheScreenSizeIsApplied)
{
    writeSettings(u"[1024X768]\r\nОтвет=14\r\nУровень-Ширина=170\r\nУровень-Слева=0x35C\r\nВопрос-шрифт=18\r\n"
                  u"Вопрос-сверху=560\r\nУровень-отступ=30\r\nТабло-высота=60\r\n");
    TForm1 &f = start(QSize(1024, 768));
    EXPECT_EQ(f.Panel3->geometry(), QRect(860, 45, 170, 229));
    for (int tag = 1; tag <= 4; ++tag)
        EXPECT_EQ(f.FaqBtn[tag]->font().pointSize(), 14);
    EXPECT_EQ(f.Memo1->font().pointSize(), 18);
    EXPECT_EQ(f.Memo1->y(), 560);
    for (int level = 1; level <= kLevels; ++level)
        EXPECT_EQ(f.Edit[level]->x(), 30);
    EXPECT_EQ(f.Tablo->height(), 60);
    // The places that follow from the screen alone are untouched by the profile.
    EXPECT_EQ(f.FaqBtn[4]->geometry(), QRect(517, 688, 502, 28));
    EXPECT_EQ(f.Memo1->width(), 1024);
}

TEST_F(MainWindow, StartsIdleWithTheEmblemAndTheStartClip)
{
    TForm1 &f = start();
    EXPECT_EQ(f.Game.CurrentLevel, 0);
    EXPECT_EQ(f.Timer2->interval(), 300000);
    EXPECT_TRUE(f.Timer2->isActive());
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip begin background")});
    EXPECT_EQ(f.Image1->geometry(), QRect(448, 55, 127, 130));
    EXPECT_EQ(f.Image1->pixmap().toImage(), BuiltinPicture(QStringLiteral("WAYS")).toImage());
    EXPECT_FALSE(f.Panel3->isVisibleTo(&f));
    EXPECT_FALSE(f.FaqBtn[1]->isVisibleTo(&f));
    EXPECT_FALSE(f.Tablo->isVisibleTo(&f));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Таллори!"));
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
}

// A [сервер] or a lesson written in UTF-8 is not found by the game: the file is named as the
// window comes up; a Windows-1251 file, Russian names and all, says nothing.
TEST_F(MainWindow, ASettingsFileInUtf8IsNamedAtStart)
{
    const QString settings = QStringLiteral("[ТЕСТ]\r\nВопросник=lesson.faq\r\n[сервер]\r\nСлужба=school\r\n");
    for (const bool utf8 : {true, false}) {
        testutil::writeBytes(folder + QStringLiteral("tallory.ini"), utf8 ? settings.toUtf8() : *cp1251::encode(settings));
        timeline.events.clear();
        start();
        QCoreApplication::processEvents();
        const QStringList errors = timeline.events.filter(QStringLiteral("error: "));
        if (!utf8) {
            EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
            continue;
        }
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].startsWith(QStringLiteral("error: Файл настроек «%1tallory.ini» сохранён в кодировке UTF-8")
                                             .arg(folder)))
            << errors[0].toStdString();
        EXPECT_TRUE(errors[0].contains(QStringLiteral("[сервер]")));
    }
}

TEST_F(MainWindow, IdleTimerEndsTheProgramOnlyWithoutAGame)
{
    TForm1 &f = start();
    f.Timer2Timer();
    EXPECT_EQ(terminated, 1);

    f.Game.CurrentLevel = 3;
    f.Game.MusicName = "fon1";
    f.Game.PhaseLength = 13;
    f.Game.PhaseTicks = 0;
    f.Panel2->show();
    timeline.events.clear();
    for (int tick = 1; tick <= 12; ++tick)
        f.Timer2Timer();
    EXPECT_TRUE(timeline.events.isEmpty());
    EXPECT_TRUE(f.Panel2->isVisibleTo(&f));
    f.Timer2Timer();
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip fon1 background")});
    EXPECT_FALSE(f.Panel2->isVisibleTo(&f));
    EXPECT_EQ(f.Game.PhaseTicks, 0);
    for (int tick = 1; tick <= 13; ++tick)
        f.Timer2Timer();
    EXPECT_EQ(timeline.events.size(), 2);
    EXPECT_EQ(terminated, 1);
}

TEST_F(MainWindow, TimerWithoutMusicRestartsNothing)
{
    TForm1 &f = start();
    f.Game.CurrentLevel = 1;
    f.Game.PhaseLength = 1;
    timeline.events.clear();
    f.Timer2Timer();
    EXPECT_TRUE(timeline.events.isEmpty());
}

TEST_F(MainWindow, SoundSwitchPersistsAcrossARestart)
{
    TForm1 &f = start();
    EXPECT_TRUE(f.MMZwuk->isChecked());
    EXPECT_EQ(f.SL6->toolTip(), QStringLiteral("Выключить звук!"));
    timeline.events.clear();
    f.MMZwuk->trigger(); // the menu item "Настройка → Звук"
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip btnclick background")});
    EXPECT_FALSE(f.MMZwuk->isChecked());
    EXPECT_FALSE(f.SoundSwitch());
    EXPECT_EQ(f.SL6->toolTip(), QStringLiteral("Включить звук!"));
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Звук вкл."), 7).value, 0);

    timeline.events.clear();
    TForm1 &again = start();
    EXPECT_FALSE(again.MMZwuk->isChecked());
    EXPECT_EQ(again.SL6->toolTip(), QStringLiteral("Включить звук!"));
    EXPECT_TRUE(timeline.events.isEmpty()); // the start clip is not heard with sound off
    again.MMZwuk->trigger();                // switching on is silent
    EXPECT_TRUE(timeline.events.isEmpty());
    EXPECT_TRUE(again.MMZwuk->isChecked());
    EXPECT_EQ(again.SL6->toolTip(), QStringLiteral("Выключить звук!"));
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Звук вкл."), 7).value, 1);
}

TEST_F(MainWindow, MenuItemAndToolbarButtonFlipOneSwitch)
{
    TForm1 &f = start();
    f.SL6->click(); // off, through the toolbar
    EXPECT_FALSE(f.MMZwuk->isChecked());
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Звук вкл."), 7).value, 0);
    timeline.events.clear();
    f.MMZwuk->trigger(); // on again, through the menu: silent
    EXPECT_TRUE(timeline.events.isEmpty());
    EXPECT_TRUE(f.MMZwuk->isChecked());
    EXPECT_EQ(f.SL6->toolTip(), QStringLiteral("Выключить звук!"));
    f.MMZwuk->trigger(); // and off through the menu, heard
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip btnclick background")});
    EXPECT_FALSE(f.MMZwuk->isChecked());
    EXPECT_EQ(f.SL6->toolTip(), QStringLiteral("Включить звук!"));
    EXPECT_EQ(RegReadInteger(kCounterSection, w(u"Звук вкл."), 7).value, 0);
    // With sound off, a clip played to its end costs nothing and a banner's clip its pause.
    timeline.events.clear();
    f.Wave("gong", ClipPlay::ToEnd);
    EXPECT_TRUE(timeline.events.isEmpty());
}

TEST_F(MainWindow, SilentClipsPauseOnlyWhereAsked)
{
    TForm1 &f = start();
    timeline.events.clear();
    f.Wave("nothing", ClipPlay::ToEndOrPause);
    f.Wave("nothing", ClipPlay::ToEnd);
    f.Wave("FALSE", ClipPlay::ToEndOrPause);
    EXPECT_EQ(timeline.events, (QStringList{QStringLiteral("clip nothing silent"), QStringLiteral("wait 2000"),
                                            QStringLiteral("clip nothing silent"), QStringLiteral("clip false to end")}));
    f.MMZwuk->trigger();
    timeline.events.clear();
    f.Wave("false", ClipPlay::ToEndOrPause);
    f.Wave("fon1");
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("wait 2000")});
}

TEST_F(MainWindow, DamagedOrMissingSoundFolderIsSilent)
{
    QDir(folder + QStringLiteral("wav")).removeRecursively();
    TForm1 &f = start();
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip begin silent")});
    timeline.events.clear();
    sound.markUnplayable(QStringLiteral("pause"));
    f.Wave("pause", ClipPlay::ToEndOrPause);
    EXPECT_EQ(timeline.events, (QStringList{QStringLiteral("clip pause silent"), QStringLiteral("wait 2000")}));
}

TEST_F(MainWindow, LooseClipsMoveIntoTheSoundFolderAtStartUp)
{
    testutil::writeBytes(folder + QStringLiteral("gong.wav"), "new gong");
    start();
    EXPECT_EQ(testutil::readBytes(folder + QStringLiteral("wav/gong.wav")), "new gong");
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("gong.wav")));
}

// A folder of data named with --folder is the school's (a lab share): the first student's game
// makes no sound folder there, owned by him, and leaves the teachers' clips alone.
TEST_F(MainWindow, ANamedFolderOfDataGetsNoHousekeeping)
{
    QDir(folder + QStringLiteral("wav")).removeRecursively();
    testutil::writeBytes(folder + QStringLiteral("gong.wav"), "teacher's gong");
    FormServices named = services(pacer);
    named.folderNamed = true;
    form = std::make_unique<TForm1>(named);
    EXPECT_EQ(testutil::readBytes(folder + QStringLiteral("gong.wav")), "teacher's gong");
    EXPECT_EQ(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(MainWindow, KeysOneToFourPressOnlyShownButtons)
{
    TForm1 &f = start();
    f.show();
    int clicks = 0;
    QObject::connect(f.FaqBtn[2], &TGradBtn::clicked, [&] { ++clicks; });
    QTest::keyClick(&f, Qt::Key_2, Qt::NoModifier);
    EXPECT_EQ(clicks, 0);
    f.FaqBtn[2]->show();
    QTest::keyClick(f.Memo1, Qt::Key_2, Qt::NoModifier);
    EXPECT_EQ(clicks, 1);
    QTest::keyClick(&f, Qt::Key_5, Qt::NoModifier);
    EXPECT_EQ(clicks, 1);
}

TEST_F(MainWindow, MenuCarriesItsCaptionsShortcutsAndStartStates)
{
    TForm1 &f = start();
    QStringList captions;
    for (QAction *a : f.N1->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text() + QLatin1Char('|') + a->shortcut().toString());
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Новая тест-игра|F2"), QStringLiteral("-"),
                                     QStringLiteral("Помощь аудитории|F3"), QStringLiteral("Звонок другу|F4"),
                                     QStringLiteral("50 х 50|F5"), QStringLiteral("Стоп, хватит и этого!|F6"),
                                     QStringLiteral("-"), QStringLiteral("Выход|Alt+X")}));
    EXPECT_EQ(f.N11->title(), QStringLiteral("Настройка"));
    EXPECT_EQ(f.N9->actions().size(), 4);
    EXPECT_TRUE(f.N9->actions().at(1)->isSeparator());
    for (QAction *off : {f.N4, f.N5, f.N50501, f.N6})
        EXPECT_FALSE(off->isEnabled());
    for (QToolButton *off : {f.SL1, f.SL2, f.SL3, f.SL4})
        EXPECT_FALSE(off->isEnabled());
    EXPECT_TRUE(f.N2->isEnabled());
    EXPECT_EQ(f.SL1->toolTip(), QStringLiteral("Пятьдесят на пятдесят"));
    EXPECT_EQ(f.SL4->toolTip(), QStringLiteral("Стоп, хватит мне и этой оценки!"));
}

TEST_F(MainWindow, ExitAndStatusBarAndLinks)
{
    TForm1 &f = start();
    f.N8->trigger();
    EXPECT_EQ(terminated, 1);
    timeline.events.clear();
    QTest::mouseClick(f.StatusBar1, Qt::LeftButton);
    EXPECT_EQ(timeline.events, QStringList{QStringLiteral("clip pause background")});
    f.N18->trigger();
    f.N19->trigger();
    ASSERT_EQ(links.size(), 2);
    EXPECT_TRUE(links[0].startsWith(QStringLiteral("http")));
    EXPECT_TRUE(links[1].startsWith(QStringLiteral("mailto:")));
}

TEST_F(MainWindow, LadderMarksTheCurrentRowInItsColours)
{
    TForm1 &f = start();
    for (int n = 1; n <= kLevels; ++n)
        f.New(n);
    f.New(0);
    f.New(1);
    EXPECT_EQ(f.Edit[1]->text(), QStringLiteral("  1 >       100"));
    EXPECT_EQ(f.Edit[1]->palette().color(QPalette::Text), QColor(0xFF, 0xFF, 0xAA));
    // Orange, deepened from #FF6820 for the pale yellow to read on it at 4.5 to 1.
    EXPECT_EQ(f.Edit[1]->palette().color(QPalette::Base), QColor(0xC3, 0x4F, 0x18));
    EXPECT_EQ(f.Edit[15]->text(), QStringLiteral(" 15 - 1.000.000 - 5"));
    EXPECT_EQ(f.Edit[15]->palette().color(QPalette::Text), QColor(0xFF, 0xFF, 0x97));
    EXPECT_EQ(f.Edit[15]->palette().color(QPalette::Base), QColor(Qt::black));
    f.New(5);
    EXPECT_EQ(f.Edit[5]->palette().color(QPalette::Base), QColor(0xE9, 0x00, 0x00)); // red, a shade deeper
    f.New(6);
    EXPECT_EQ(f.Edit[5]->text(), QStringLiteral("  5 -     1.000 - 3"));
    EXPECT_EQ(f.Edit[5]->palette().color(QPalette::Text), QColor(0xFF, 0xFF, 0x97));
    EXPECT_EQ(f.Edit[6]->text(), QStringLiteral("  6 >     2.000"));

    // On screen: the current row is drawn in its background colour.
    f.GameEnable(true);
    f.show();
    const QImage row = f.Edit[6]->grab().toImage();
    EXPECT_EQ(row.pixelColor(row.width() - 2, row.height() / 2), QColor(0xC3, 0x4F, 0x18));
    const QImage rested = f.Edit[5]->grab().toImage();
    EXPECT_EQ(rested.pixelColor(rested.width() - 2, rested.height() / 2), QColor(Qt::black));
}

TEST_F(MainWindow, BoardAndGameControlsSwitchTogether)
{
    TForm1 &f = start();
    f.GameEnable(true);
    for (QAction *on : {f.N4, f.N5, f.N50501})
        EXPECT_TRUE(on->isEnabled());
    EXPECT_FALSE(f.N6->isEnabled()); // no grade to keep yet
    EXPECT_TRUE(f.Panel3->isVisibleTo(&f));
    EXPECT_TRUE(f.FaqBtn[3]->isVisibleTo(&f));
    f.TabloV(12, true);
    EXPECT_EQ(f.Label1->text(), QStringLiteral("* 125000 *"));
    EXPECT_TRUE(f.Tablo->isVisibleTo(&f));
    EXPECT_FALSE(f.Memo1->isVisibleTo(&f));
    EXPECT_FALSE(f.FaqBtn[1]->isVisibleTo(&f));
    f.TabloV(15, false);
    EXPECT_EQ(f.Label1->text(), QStringLiteral("* 1000000 *"));
    EXPECT_FALSE(f.Tablo->isVisibleTo(&f));
    EXPECT_TRUE(f.Memo1->isVisibleTo(&f));
    f.GameEnable(false);
    for (QToolButton *off : {f.SL1, f.SL2, f.SL3, f.SL4})
        EXPECT_FALSE(off->isEnabled());
    EXPECT_TRUE(f.SL7->isEnabled());
    EXPECT_FALSE(f.Panel3->isVisibleTo(&f));
}

TEST_F(MainWindow, PresenterComesFromFotoWhenThere)
{
    QImage host(80, 60, QImage::Format_RGB32);
    host.fill(QColor(10, 200, 30));
    QDir().mkpath(folder + QStringLiteral("FOTO"));
    ASSERT_TRUE(host.save(folder + QStringLiteral("FOTO/host.bmp"), "BMP"));
    TForm1 &f = start();
    f.ResImage(QStringLiteral("vedok"), QStringLiteral("HOST.BMP"));
    EXPECT_EQ(f.Image1->geometry(), QRect(472, 55, 80, 60));
    f.ResImage(QStringLiteral("vedok"), QStringLiteral("missing.bmp"));
    EXPECT_EQ(f.Image1->size(), BuiltinPicture(QStringLiteral("VEDOK")).size());
    f.ResImage(QStringLiteral("game"), QString());
    EXPECT_EQ(f.Image1->x(), 386);
}

TEST_F(MainWindow, BackgroundIsTheBlackToNavyGradient)
{
    TForm1 &f = start(QSize(640, 480));
    f.show();
    const QImage shot = f.Client->grab().toImage();
    const int h = f.Client->height();
    for (int y : {h / 3, h / 2, h - 60})
        EXPECT_EQ(shot.pixelColor(20, y), TZelGradient::rowColor(Qt::black, QColor(0, 0, 0x80), y, h)) << y;
}
