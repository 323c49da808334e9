#pragma once
// The call window of phone a friend: the number to dial, a telephone keypad, a seven-segment
// display of the digits dialled so far and a red time button counting the call's 30 seconds
// down. The right number rings through to the friend, whose photo and reply take the keypad's
// place. Made by the main window the first time a friend is called, hidden between calls and
// shown modally.

#include <QDialog>
#include <QFont>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class Announcer;
class Clips;
class Pacer;
class QLabel;
class QTimer;
class TAlphaPanel;
class TGradBtn;
class TLCD99;
class TZelGradient;

class TTelform : public QDialog
{
    Q_OBJECT

public:
    /// The seconds a call lasts.
    static constexpr int kCallSeconds = 30;

    TTelform(Clips &clips, Pacer &pacer, QWidget *parent = nullptr);
    ~TTelform() override;

    // Controls, by their design names.
    QLabel *Image1 = nullptr;         ///< the friend's photo, shown once the call is answered
    QLabel *Label1 = nullptr;         ///< the prompt with the number, later the friend's reply
    TAlphaPanel *AlphaPanel1 = nullptr; ///< the telephone keypad
    TLCD99 *LCD991 = nullptr;         ///< the digits dialled so far
    TGradBtn *TimeBtn = nullptr;      ///< counts the call down; a click hangs up
    QTimer *Timer1 = nullptr;         ///< the one-second tick of the countdown
    TZelGradient *ZelGradient1 = nullptr; ///< the window's gradient background

    /// Seconds left before the window closes itself.
    int CallCountdown = 0;
    /// What the friend said once the right number was dialled; lines broken by carriage returns.
    QString FriendReply;

    /// Rings the digits dialled through: what the friend says, or nothing when no one answers.
    using Dialler = std::function<std::optional<QString>(const QString &digits)>;
    /// Told when the student hangs up before the call's time is out.
    std::function<void()> onHangUp;

    /// Makes the window ready for a call: the friend's photo, the number to dial, the keypad
    /// and an empty display, centred on a screen of the given size. The number dialled in full
    /// rings through dial, which has the friend's reply.
    void PrepareCall(int friendIndex, const QString &dialNumber, Dialler dial, QSize screen);

    void FormActivate();
    void Timer1Timer();
    void TimeBtnClick();
    void AlphaPanel1ValueChange();
    /// A character key typed anywhere in the window; true when the key was taken.
    bool FormKeyPress(QChar key);
    void Okey();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setLabelText(const QString &text);
    /// Where Label1's text may lie from its top left corner: above the time button, or beside it.
    QList<QSize> labelBoxes() const;
    void setLabelColour(const QColor &colour);
    /// The seconds left on the time button for a reader, said aloud at 20, 10 and 5.
    void tellSecondsLeft();

    Clips &m_clips;
    Dialler m_dial;
    /// The text of Label1 as the program set it, carriage returns included.
    QString m_labelText;
    Announcer *m_announcer = nullptr; ///< what a screen reader is told: the number, the countdown, the reply
    /// Label1's font as the window is built; a long text steps down from it.
    QFont m_labelFont;
};
