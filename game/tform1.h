#pragma once
// The game window: full screen and borderless, with the menu, the toolbar, the ladder, the
// question, the four answer buttons, the board and the status bar. Controls keep their design
// names; the handlers are split into files by concern (start-up, commands, ladder and board,
// sound and pictures, and the game flow).

#include "clips.h"
#include "faq.h"
#include "formservices.h"
#include "gamerecorder.h"
#include "gamestate.h"

#include <QByteArray>
#include <QColor>
#include <QMainWindow>
#include <array>
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
class BalloonHints;
class ArrowCursor;

class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    /// Builds the window and runs its start-up.
    explicit TForm1(const FormServices &services, QWidget *parent = nullptr);
    ~TForm1() override;

    // Controls, by their design names.
    QWidget *Client = nullptr; ///< the client area under the menu
    TZelGradient *ZelGradient1 = nullptr;
    QWidget *SpeedBar1 = nullptr;
    QToolButton *SL1 = nullptr, *SL2 = nullptr, *SL3 = nullptr, *SL4 = nullptr;
    QToolButton *SL6 = nullptr, *SL7 = nullptr, *SL8 = nullptr;
    QWidget *WebBrowser1 = nullptr;
    QLabel *Image1 = nullptr;
    QFrame *Panel3 = nullptr;
    std::array<QLineEdit *, kLevels + 1> Edit{}; ///< Edit[1]..Edit[15], the ladder rows
    QTextEdit *Memo1 = nullptr;
    std::array<TGradBtn *, 5> FaqBtn{}; ///< FaqBtn[1]..FaqBtn[4], the answers A..D
    QFrame *Panel2 = nullptr;
    QFrame *Tablo = nullptr;
    QLabel *Image5 = nullptr;
    QLabel *Label1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QMenu *N1 = nullptr, *N11 = nullptr, *N9 = nullptr;
    QAction *N2 = nullptr, *N4 = nullptr, *N5 = nullptr, *N50501 = nullptr, *N6 = nullptr, *N8 = nullptr;
    QAction *MMZwuk = nullptr, *N10 = nullptr, *N18 = nullptr, *N19 = nullptr;
    QTimer *Timer2 = nullptr;

    GameState Game;
    /// The question bank text: every raw line of the bank found last.
    FaqText FaqGlobal;
    /// The raw question lines of the level asked last.
    std::vector<QByteArrayView> FaqStr;
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
    void CloseGame(bool finished);
    void MarkButton(int n, const QColor &colour);
    /// No game: CurrentLevel 0 and the idle timer set to end the program after five minutes.
    void EnterIdle();
    static constexpr int kIdleExitMs = 300000;
    /// Whether an answer sequence holds the game at the moment.
    bool Busy() const { return m_busy; }

    // Ladder and board.
    void PaintRow(int level, const QColor &text, const QColor &background, char marker);
    void New(int n);
    void TabloV(int level, bool show);
    void GameEnable(bool on);

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
    void layoutFromScreen();
    void restoreSoundSwitch();
    void setSoundHint();
    QToolButton *toolItem(const QString &name, const QString &hint, int left);
    bool answerKey(const QString &text);
    /// Whether a question waits for its answer, so that a lifeline may be used.
    bool questionOnScreen() const;
    bool askUpper(const QString &caption, const QString &prompt, QByteArray &result);
    void judge(int tag);
    void dropHeldAnswers();
    void releaseAnswerFocus();
    /// Hides the audience panel; the keyboard focus is left on no answer.
    void hideAudience();
    /// Collapses the illustration pane to its 1 px line, with nothing shown in it.
    void collapseIllustration();
    void keepFocusFromPane(QWidget *old, QWidget *now);
    void wrongAnswer();
    void correctAnswer();
    void showIllustration(const QByteArray &reference);
    void banner(const QByteArray &text, const QColor &background, const QColor &textColour);
    void endWithoutQuestion(const QString &message);
    /// Whether the settings ask for strict attempts and this player left a game of the lesson
    /// unfinished on this machine: then it counts as the attempt.
    bool attemptLeftUnfinished();
    /// Where the window tells what happens in a game.
    GameRecorder &recorder() { return m_services.recorder ? *m_services.recorder : m_noRecorder; }
    /// Reports a failure of a platform service in the application's error box.
    void failure(const QString &message);

    FormServices m_services;
    NoGameRecorder m_noRecorder;
    Clips m_clips;
    TTelform *m_telform = nullptr;
    HelpWindow *m_help = nullptr;
    BalloonHints *m_hints = nullptr;
    ArrowCursor *m_arrow = nullptr;
    QString m_bankName;
    bool m_busy = false;
    bool m_droppingAnswers = false; ///< answers held during the last sequence are being dropped
    bool m_tickHeld = false;        ///< Timer2 fell due during an answer sequence and was not restarted
};
