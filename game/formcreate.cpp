// Start-up of the main window: the menu and toolbar, the layout for the screen, and FormCreate.

#include "tform1.h"

#include "largeprint.h"

#include "arrowcursor.h"
#include "balloonhint.h"
#include "counters.h"
#include "cp1251.h"
#include "dialogs.h"
#include "files.h"
#include "gradbtn.h"
#include "inifile.h"
#include "layoutprofile.h"
#include "pictures.h"
#include "randomsource.h"
#include "settingsencoding.h"

#include <QAction>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kItemWidth = 58;
constexpr int kItemHeight = 32;
} // namespace

void TForm1::buildMenu()
{
    QMenuBar *bar = menuBar();
    N1 = bar->addMenu(QStringLiteral("Тест-Игра"));
    N2 = N1->addAction(QStringLiteral("Новая тест-игра"), this, &TForm1::NewGame);
    N2->setShortcut(Qt::Key_F2);
    N1->addSeparator();
    N4 = N1->addAction(QStringLiteral("Помощь аудитории"), this, &TForm1::N4Click);
    N4->setShortcut(Qt::Key_F3);
    N5 = N1->addAction(QStringLiteral("Звонок другу"), this, &TForm1::N5Click);
    N5->setShortcut(Qt::Key_F4);
    N50501 = N1->addAction(QStringLiteral("50 х 50"), this, &TForm1::N50501Click);
    N50501->setShortcut(Qt::Key_F5);
    N6 = N1->addAction(QStringLiteral("Стоп, хватит и этого!"), this, &TForm1::N6Click);
    N6->setShortcut(Qt::Key_F6);
    N1->addSeparator();
    N8 = N1->addAction(QStringLiteral("Выход"), this, &TForm1::SpeedItem1Click);
    N8->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    for (QAction *lifeline : {N4, N5, N50501, N6})
        lifeline->setEnabled(false);

    N11 = bar->addMenu(QStringLiteral("Настройка"));
    MMZwuk = N11->addAction(QStringLiteral("Звук"), this, &TForm1::MMZwukClick);
    MMZwuk->setCheckable(true);
    MMZwuk->setChecked(true);
    MMZwuk->setToolTip(QStringLiteral("Включение/выключение звука"));
    MMZwuk->setStatusTip(MMZwuk->toolTip());

    N9 = bar->addMenu(QStringLiteral("Помощь"));
    N10 = N9->addAction(QStringLiteral("О программе"), this, &TForm1::N10Click);
    N9->addSeparator();
    N18 = N9->addAction(QStringLiteral("Домашняя страница"), this, &TForm1::N18Click);
    N19 = N9->addAction(QStringLiteral("Напишите письмо"), this, &TForm1::N19Click);

    // F1 opens the rules of the game; it has no menu item of its own.
    auto *help = new QAction(this);
    help->setShortcut(Qt::Key_F1);
    connect(help, &QAction::triggered, this, &TForm1::HelpClick);
    addAction(help);
}

QToolButton *TForm1::toolItem(const QString &name, const QString &hint, int left)
{
    auto *item = new QToolButton(SpeedBar1);
    item->setObjectName(name);
    item->setAutoRaise(true);
    item->setToolTip(hint);
    item->setAccessibleName(hint);
    item->setFocusPolicy(Qt::NoFocus);
    QIcon icon;
    icon.addPixmap(ToolbarPicture(name, true), QIcon::Normal);
    icon.addPixmap(ToolbarPicture(name, false), QIcon::Disabled);
    item->setIcon(icon);
    item->setIconSize(QSize(48, 24));
    item->setGeometry(left, 3, kItemWidth, kItemHeight);
    return item;
}

void TForm1::buildToolbar()
{
    SpeedBar1 = new QWidget(Client);
    SpeedBar1->setObjectName(QStringLiteral("SpeedBar1"));
    SpeedBar1->setAccessibleName(QStringLiteral("Панель инструментов"));
    QPalette pal = SpeedBar1->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::Button, Qt::black);
    SpeedBar1->setPalette(pal);
    SpeedBar1->setAutoFillBackground(true);
    SpeedBar1->setFixedHeight(38);

    SL7 = toolItem(QStringLiteral("SL7"), QStringLiteral("Новая тест-игра"), 3);
    SL8 = toolItem(QStringLiteral("SL8"), QStringLiteral("Выход"), 61);
    SL6 = toolItem(QStringLiteral("SL6"), QStringLiteral("Звук"), 206);
    SL4 = toolItem(QStringLiteral("SL4"), QStringLiteral("Стоп, хватит мне и этой оценки!"), 0);
    SL1 = toolItem(QStringLiteral("SL1"), QStringLiteral("Пятьдесят на пятдесят"), 0);
    SL2 = toolItem(QStringLiteral("SL2"), QStringLiteral("Звонок другу"), 0);
    SL3 = toolItem(QStringLiteral("SL3"), QStringLiteral("Помощь аудитории"), 0);
    connect(SL7, &QToolButton::clicked, this, &TForm1::NewGame);
    connect(SL8, &QToolButton::clicked, this, &TForm1::SpeedItem1Click);
    connect(SL6, &QToolButton::clicked, this, &TForm1::MMZwukClick);
    connect(SL4, &QToolButton::clicked, this, &TForm1::N6Click);
    connect(SL1, &QToolButton::clicked, this, &TForm1::N50501Click);
    connect(SL2, &QToolButton::clicked, this, &TForm1::N5Click);
    connect(SL3, &QToolButton::clicked, this, &TForm1::N4Click);
    for (QToolButton *lifeline : {SL1, SL2, SL3, SL4})
        lifeline->setEnabled(false);
}

// Large print when the command line or the settings ask for it.
bool TForm1::largePrintAsked() const
{
    return m_services.largePrint || m_settings.largePrint;
}

void TForm1::applyLayoutProfile()
{
    m_settings = ReadGameSettings(m_services.programFolder, m_services.screen);
    const LayoutProfile &profile = m_settings.layout;
    const double scale = largePrintAsked() ? LargePrintScale(profile, m_services.screen) : 1.0;
    m_layout = LayOutGame(profile, m_services.screen, scale);
    const LayoutProfile &p = m_layout.profile;
    if (scale > 1.0)
        scaleLadderAndBoard();
    for (int tag = 1; tag <= 4; ++tag) {
        QFont f = FaqBtn[static_cast<size_t>(tag)]->font();
        f.setPointSize(p.answerFont);
        FaqBtn[static_cast<size_t>(tag)]->setFont(f);
    }
    Panel3->setGeometry(p.ladderLeft, Panel3->y(), p.ladderWidth, m_layout.ladderHeight);
    QFont memoFont = Memo1->font();
    memoFont.setPointSize(p.questionFont);
    Memo1->setFont(memoFont);
    Memo1->move(Memo1->x(), p.questionTop);
    for (int level = 1; level <= kLevels; ++level)
        Edit[static_cast<size_t>(level)]->move(p.rowIndent, Edit[static_cast<size_t>(level)]->y());
    Tablo->resize(Tablo->width(), p.boardHeight);
}

void TForm1::layoutFromScreen()
{
    const int w = m_services.screen.width();
    const int half = w / 2;
    const int top = m_layout.answerRows[0];
    const int bottom = m_layout.answerRows[1];
    const std::array<QPoint, 5> places = {QPoint(), QPoint(5, top), QPoint(half + 5, top), QPoint(5, bottom),
                                          QPoint(half + 5, bottom)};
    for (int tag = 1; tag <= 4; ++tag)
        FaqBtn[static_cast<size_t>(tag)]->setGeometry(
            QRect(places[static_cast<size_t>(tag)], QSize(half - 10, m_layout.answerHeight)));
    Memo1->setFixedHeight(m_layout.questionHeight);
    Memo1->setGeometry(0, Memo1->y(), w, m_layout.questionHeight);
    Tablo->setGeometry(0, Tablo->y(), w, Tablo->height());
    SL3->move(w - 58, SL3->y());
    SL2->move(w - 116, SL2->y());
    SL1->move(w - 174, SL1->y());
    SL4->move(w - 242, SL4->y());
    layoutDocked();
}

void TForm1::FormCreate()
{
    // The random generator is the services' own, seeded from the clock by the program entry.
    // No music and no phase yet.
    Game.PhaseTicks = 0;
    Game.PhaseLength = 0;
    Game.MusicName.clear();
    // The hand and the arrow are the game's own cursors; the arrow is the whole program's.
    if (!m_arrow)
        m_arrow = new ArrowCursor(BuiltinCursor(QStringLiteral("norm")), this);
    m_arrow->apply(this);
    Client->setCursor(BuiltinCursor(QStringLiteral("norm")));
    Image1->setCursor(BuiltinCursor(QStringLiteral("myhand")));
    StatusBar1->setCursor(BuiltinCursor(QStringLiteral("myhand")));
    // The layout of this screen size, then the places that follow from the screen alone.
    applyLayoutProfile();
    layoutFromScreen();
    // Loose clips next to the program move into its sound folder. Only in the program's own
    // folder: a folder of data named with --folder (a lab share, the machine's folder) is the
    // teachers', and a student's game must neither make folders there nor throw their files away.
    // Nor in class mode: the lab machine's folder is the school's, and the game writes nothing there.
    if (!m_services.folderNamed && !classMode())
        MoveLooseWaves(m_services.programFolder);
    // Hints are yellow balloons.
    if (!m_hints)
        m_hints = new BalloonHints(this);
    // The sound switch as the player left it, and the start clip.
    restoreSoundSwitch();
    warnAboutSettingsEncoding();
    Wave("begin");
    // Five idle minutes end the program.
    EnterIdle();
    // The emblem.
    ResImage(QStringLiteral("ways"), QString());
}

// A settings file saved in UTF-8 hides its lessons and its server from the game: said as the
// window comes up, rather than found out from a refused lesson or results never sent.
void TForm1::warnAboutSettingsEncoding()
{
    const QString problem = SettingsEncodingProblem(m_services.programFolder);
    if (!problem.isEmpty())
        QTimer::singleShot(0, this, [this, problem] { m_services.dialogs->showError(problem); });
}

void TForm1::restoreSoundSwitch()
{
    const auto on = RegReadBool(kCounterSection, cp1251::text(u"Звук вкл."), true);
    if (!on.ok())
        failure(on.error);
    m_clips.setSoundSwitch(on.ok() ? on.value : true);
    MMZwuk->setChecked(SoundSwitch());
    setSoundHint();
}

void TForm1::setSoundHint()
{
    SL6->setToolTip(SoundSwitch() ? QStringLiteral("Выключить звук!") : QStringLiteral("Включить звук!"));
}
