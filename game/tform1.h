#pragma once
// The game window: full screen and borderless, with the menu, the toolbar, the ladder, the
// question, the four answer buttons, the board and the status bar. Controls keep their design
// names; the handlers are split into files by concern (start-up, commands, ladder and board,
// sound and pictures, and the game flow).

#include "clips.h"
#include "faq.h"
#include "formservices.h"
#include "gamerecorder.h"
#include "gamerules.h"
#include "gamesession.h"
#include "gamesettings.h"
#include "gamestate.h"
#include "largeprint.h"

#include <QByteArray>
#include <QColor>
#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QTextEdit;
class QTimer;
class QToolButton;
class TGradBtn;
class TTelform;
class TZelGradient;
class HelpWindow;
class Announcer;
class BalloonHints;
class ArrowCursor;

class TForm1 : public QMainWindow
{
    Q_OBJECT

    // Made before every other member: Game and FaqStr below refer into the rules, which are
    // made on the services and the recorder.
    FormServices m_services;
    NoGameRecorder m_noRecorder;
    /// The rules when they run here, on the program folder; none in class mode. Set as the
    /// rules below are made.
    GameSession *m_local = nullptr;
    std::vector<QByteArrayView> m_noLines; ///< the level's lines where the bank is not read here
    /// The rules: the window asks them wherever something is decided. A session on the program
    /// folder's own files, or in class mode the class server's.
    std::unique_ptr<GameRules> m_rules;

public:
    /// Builds the window and runs its start-up.
    explicit TForm1(const FormServices &services, QWidget *parent = nullptr);
    ~TForm1() override;

    // Controls, by their design names.
    QWidget *Client = nullptr;             ///< the client area under the menu
    TZelGradient *ZelGradient1 = nullptr;  ///< the window's background, black at the top to navy
    QWidget *SpeedBar1 = nullptr;          ///< the toolbar along the top
    QToolButton *SL1 = nullptr;            ///< toolbar: fifty-fifty, as the menu's F5
    QToolButton *SL2 = nullptr;            ///< toolbar: phone a friend, as the menu's F4
    QToolButton *SL3 = nullptr;            ///< toolbar: ask the audience, as the menu's F3
    QToolButton *SL4 = nullptr;            ///< toolbar: stop and keep the grade, as the menu's F6
    QToolButton *SL6 = nullptr;            ///< toolbar: the sound switch; its hint says what a click does
    QToolButton *SL7 = nullptr;            ///< toolbar: a new game, as the menu's F2
    QToolButton *SL8 = nullptr;            ///< toolbar: leave the program, as the menu's Alt+X
    QWidget *WebBrowser1 = nullptr;        ///< the illustration pane under the toolbar, 1 px high when empty
    QLabel *Image1 = nullptr;              ///< the big picture: the emblem, the game, the presenter
    QFrame *Panel3 = nullptr;              ///< the ladder's panel, shown during a game
    std::array<QLineEdit *, kLevels + 1> Edit{}; ///< Edit[1]..Edit[15], the ladder rows
    QTextEdit *Memo1 = nullptr;            ///< the question's text
    std::array<TGradBtn *, 5> FaqBtn{};    ///< FaqBtn[1]..FaqBtn[4], the answers A..D, also keys 1..4
    QFrame *Panel2 = nullptr;              ///< the audience's chart, up for ten ticks after that lifeline
    QFrame *Tablo = nullptr;               ///< the board: the points won, then the grade
    QLabel *Image5 = nullptr;              ///< the board's picture
    QLabel *Label1 = nullptr;              ///< the board's text: "* points *" or "Оценка: " and the grade
    QStatusBar *StatusBar1 = nullptr;      ///< the status bar; a click minimises the window
    QMenu *N1 = nullptr;                   ///< menu "Тест-Игра"
    QMenu *N11 = nullptr;                  ///< menu "Настройка"
    QMenu *N9 = nullptr;                   ///< menu "Помощь"
    QAction *N2 = nullptr;                 ///< menu: a new game (F2)
    QAction *N4 = nullptr;                 ///< menu: ask the audience (F3)
    QAction *N5 = nullptr;                 ///< menu: phone a friend (F4)
    QAction *N50501 = nullptr;             ///< menu: fifty-fifty (F5)
    QAction *N6 = nullptr;                 ///< menu: stop and keep the grade reached (F6)
    QAction *N8 = nullptr;                 ///< menu: leave the program at once (Alt+X)
    QAction *MMZwuk = nullptr;             ///< menu: the sound switch, checked while sound is on
    QAction *N10 = nullptr;                ///< menu: about the program
    QAction *N18 = nullptr;                ///< menu: the home page
    QAction *N19 = nullptr;                ///< menu: a letter to the author, opened in the mail program
    QTimer *Timer2 = nullptr;              ///< one-second ticks in a game, the five idle minutes between games

    /// The rules' game state, as the window shows it.
    GameState &Game = m_rules->state();
    /// The raw question lines of the level asked last; none in class mode.
    std::vector<QByteArrayView> &FaqStr = m_local ? m_local->levelLines() : m_noLines;
    /// The game's rules, for a face that is not this window to share.
    GameRules &rules() { return *m_rules; }
    /// Whether the rules are the class server's (or a class server is named and cannot be used):
    /// the program folder is then only read, and never for a bank.
    bool classMode() const { return m_services.classRules || !m_services.classProblem.isEmpty(); }
    /// The line that says the class server does not answer; hidden while it does.
    QLabel *WaitingLine = nullptr;
    /// The address the illustration pane was sent to last, empty before the first.
    QString IllustrationAddress;

    /// The call window of phone a friend, hidden between calls. Made the first time it is asked
    /// for, rather than with this window: most games never call a friend.
    TTelform *Telform();

    // Start-up and commands.
    void FormCreate();
    void NewGame();
    void N4Click();
    void N5Click();
    void N50501Click();
    void N6Click();
    void SpeedItem1Click();
    void MMZwukClick();
    void N10Click();
    void N18Click();
    void N19Click();
    void HelpClick();
    void StatusBar1Click();
    void Timer2Timer();
    void FaqBtn1Click(int tag);

    // The game flow.
    void SetGame(int level);
    /// Hides the game; a finished game then shows its grade, when recorded says it was written.
    void CloseGame(bool finished, const Status &recorded = Status::success());
    void MarkButton(int n, const QColor &colour);
    /// No game: CurrentLevel 0 and the idle timer set to end the program after five minutes.
    void EnterIdle();
    static constexpr int kIdleExitMs = 300000;
    /// Whether an answer sequence holds the game at the moment.
    bool Busy() const { return m_busy; }

    // Ladder and board.
    void PaintRow(int level, const QColor &text, const QColor &background, char marker);
    void New(int n);
    void RestLadder(); ///< every row of the ladder at rest, as a new game starts
    void TabloV(int level, bool show);
    void GameEnable(bool on);
    /// The stop command is enabled while a game has a grade to keep.
    void enableStop();

    // Sound and pictures.
    /// Plays a clip of the program folder under the sound switch.
    void Wave(const QByteArray &name, ClipPlay how = ClipPlay::Background);
    void ResImage(const QString &name, const QString &fileName);
    bool SoundSwitch() const;

    const FormServices &services() const { return m_services; }
    /// The clips both windows play through.
    Clips &clips() { return m_clips; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// Closing the window during a game asks first, as F2 and Alt+X do.
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void buildToolbar();
    void buildLadder();
    void buildQuestion();
    void buildBoard();
    void layoutDocked();
    void applyLayoutProfile();
    bool largePrintAsked() const;
    /// Large print for the ladder's rows, the board and the texts of menus, boxes and banners.
    void scaleLadderAndBoard();
    /// A question or an answer too long for its place at the layout's size steps down until
    /// it fits, an answer on two lines where one is not enough.
    void fitTexts();
    void layoutFromScreen();
    /// Names a settings file the game cannot read as Windows-1251, once the window is up.
    void warnAboutSettingsEncoding();
    void restoreSoundSwitch();
    void setSoundHint();
    QToolButton *toolItem(const QString &name, const QString &hint, int left);
    bool answerKey(const QString &text);
    /// Whether the game on screen, if any, may be left: the student is asked first. A game left
    /// is no longer on screen, and its question is recorded as shown and unanswered.
    bool leaveGame();
    /// Whether a question waits for its answer, so that a lifeline may be used.
    bool questionOnScreen() const;
    /// The text typed into an input box; empty when cancelled.
    QString ask(const QString &caption, const QString &prompt);
    /// Puts the first question of a game whose start was allowed on screen; unchecked says why
    /// the school's server did not check the attempt (empty when it did, or none is named).
    void beginGame(const QString &unchecked);
    /// Shows the verdict on the click on tag, then the next question or the end.
    void judge(int tag, const Verdict &verdict);
    /// The game ends: the session records it, then the window shows the grade it recorded.
    void finishGame(GameEnding how);
    void dropHeldAnswers();
    void releaseAnswerFocus();
    /// Hides the audience panel if it is up; focus it held goes to the client area, an answer's stays.
    void hideAudience();
    /// Collapses the illustration pane to its 1 px line, with nothing shown in it.
    void collapseIllustration();
    void keepFocusFromPane(QWidget *old, QWidget *now);
    void wrongAnswer(const Verdict &verdict);
    void correctAnswer(const Verdict &verdict);
    void showIllustration(const QByteArray &reference);
    void banner(const QByteArray &text, const QColor &background, const QColor &textColour);
    void endWithoutQuestion(const QString &message);
    /// Reports a failure of a platform service in the application's error box.
    void failure(const QString &message);

    // Class mode: the rules made, the server's silence said, a game ended elsewhere left.
    std::unique_ptr<GameRules> makeRules();
    void showWaiting(const QString &text);
    /// The server says the game on screen is gone: left now, or when the sequence running ends.
    void rulesGone();
    /// Leaves the game on screen when the rules say it is gone: the game hidden, the reason
    /// shown, the idle screen. True when it was left.
    bool leaveIfGone();
    /// Whether the rules have just said the game is gone (the sequence running stops short).
    bool gone() const { return !m_rules->gone().isEmpty(); }
    /// A sequence of the game (a start, an answer, a lifeline) runs while one lives; a game
    /// gone meanwhile is left when the outermost ends.
    class Sequence
    {
    public:
        explicit Sequence(TForm1 &form) : m_form(form) { ++m_form.m_sequences; }
        ~Sequence();
        Sequence(const Sequence &) = delete;
        Sequence &operator=(const Sequence &) = delete;

    private:
        TForm1 &m_form;
    };

    Clips m_clips;
    TTelform *m_telform = nullptr;
    HelpWindow *m_help = nullptr;
    BalloonHints *m_hints = nullptr;
    Announcer *m_announcer = nullptr; ///< what a screen reader is told as the game goes on
    GameLayout m_layout;              ///< where the question, answers and ladder lie, in normal or large print
    ArrowCursor *m_arrow = nullptr;
    /// The settings of the program folder as the window was built: its layout and large print.
    GameSettings m_settings;
    bool m_busy = false;
    bool m_droppingAnswers = false; ///< answers held during the last sequence are being dropped
    bool m_tickHeld = false;        ///< Timer2 fell due during an answer sequence and was not restarted
    int m_sequences = 0;            ///< sequences running (see Sequence)
    bool m_gameShown = false;       ///< a game is on screen, from its start until it is closed
};
