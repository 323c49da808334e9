// The commands of the main window that are not the game itself: keys, status bar, exit, the
// idle timer, the sound switch, pictures, help and links.

#include "tform1.h"

#include "counters.h"
#include "cp1251.h"
#include "dialogs.h"
#include "files.h"
#include "gradbtn.h"
#include "helpwindow.h"
#include "pacer.h"
#include "pictures.h"
#include "sound.h"
#include "soundbackend.h"
#include "stringres.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // The window sees the keys 1 to 4 before any of its controls does.
    if (event->type() == QEvent::KeyPress) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && answerKey(static_cast<QKeyEvent *>(event)->text()))
            return true;
    }
    // The browser draws with OpenGL: its first page makes Qt build the window's native window
    // anew, and the new one is not the active one, so the window system would send the keys
    // (F1 to F6, Alt+X, 1 to 4) nowhere until the student clicked. It is made active again.
    if (watched == this && event->type() == QEvent::WinIdChange && isVisible())
        QTimer::singleShot(0, this, [this] { activateWindow(); });
    // A click on the status bar is a left click, as everywhere on the desktop.
    if (event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget == StatusBar1 || widget->parentWidget() == StatusBar1) {
            StatusBar1Click();
            return true;
        }
    }
    // The board gets its picture as it is first shown, whoever shows it.
    if (watched == Tablo && event->type() == QEvent::ShowToParent && Image5->pixmap().isNull())
        Image5->setPixmap(BuiltinPicture(QStringLiteral("BOARD")));
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::answerKey(const QString &text)
{
    if (text.size() != 1 || text[0] < QLatin1Char('1') || text[0] > QLatin1Char('4'))
        return false;
    const int tag = text[0].digitValue();
    TGradBtn *button = FaqBtn[static_cast<size_t>(tag)];
    if (button->isVisible())
        button->Click();
    return true;
}

void TForm1::StatusBar1Click()
{
    showMinimized();
    Wave("pause");
}

void TForm1::SpeedItem1Click()
{
    // No record for a running game and no counters stored; a game on screen is left only once
    // the student has said so.
    if (m_busy || !leaveGame())
        return;
    m_services.terminate();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // While the host speaks the answer is being judged and recorded: the window stays.
    if (m_busy || !leaveGame())
        return event->ignore();
    QMainWindow::closeEvent(event);
}

// A key pressed by mistake (F2 for F3, Alt+X) would throw away a grade already secured, and
// with strict attempts the lesson itself: a game is never left without the student's word.
bool TForm1::leaveGame()
{
    if (!m_rules->questionOpen())
        return true;
    if (!m_services.dialogs->confirmLeave(QStringLiteral("Прервать игру? Оценка не будет записана."),
                                          QStringLiteral("Прервать"), QStringLiteral("Продолжить игру")))
        return false;
    m_rules->leave();
    return true;
}

void TForm1::Timer2Timer()
{
    // A tick that falls due while an answer sequence holds the game is not handled inside it:
    // it waits until the sequence ends, as a timer message waits in the queue, and several
    // such ticks are one, as they are there.
    if (m_busy) {
        m_tickHeld = true;
        return;
    }
    Game.PhaseTicks += 1;
    if (Game.PhaseTicks == Game.PhaseLength) {
        hideAudience();
        Game.PhaseTicks = 0;
        if (!Game.MusicName.isEmpty())
            Wave(Game.MusicName);
    }
    if (Game.CurrentLevel == 0)
        m_services.terminate();
}

bool TForm1::SoundSwitch() const
{
    return m_clips.soundSwitch();
}

void TForm1::Wave(const QByteArray &name, ClipPlay how)
{
    m_clips.play(name, how);
}

void TForm1::MMZwukClick()
{
    // The click is heard when sound goes off and is silent when it comes on. The switch itself
    // lives with the clips: the menu item has already flipped its own mark by the time it
    // reports the click, so the mark only shows the switch and is never read back.
    Wave("btnCLICK");
    const bool on = !SoundSwitch();
    m_clips.setSoundSwitch(on);
    MMZwuk->setChecked(on);
    // In class mode the lab machine keeps nothing of a student's: the switch holds for this run.
    const Status stored = classMode() ? Status::success()
                                      : RegWriteBool(kCounterSection, cp1251::text(u"Звук вкл."), on);
    if (!stored.ok())
        failure(stored.error);
    setSoundHint();
}

void TForm1::ResImage(const QString &name, const QString &fileName)
{
    QPixmap picture;
    if (!fileName.isEmpty()) {
        const QString file = FindNoCase(FindNoCase(m_services.programFolder, QStringLiteral("FOTO")) + QLatin1Char('/'),
                                        fileName);
        // A replacement that cannot be read is passed over like a missing one.
        if (QFileInfo(file).isFile())
            picture = LoadPictureFile(file);
    }
    if (picture.isNull())
        picture = BuiltinPicture(name);
    Image1->setPixmap(picture);
    Image1->resize(picture.size());
    Image1->move((m_services.screen.width() - picture.width()) / 2, 55);
    // Shown now: the caller may hold the thread with a clip next.
    Image1->repaint();
}

void TForm1::N10Click()
{
    m_services.dialogs->showAbout(QStringLiteral("О программе"),
                                  QStringLiteral("<h2>Таллори!</h2><p>Игра-экзамен, версия %1</p>")
                                      .arg(QApplication::applicationVersion()));
}

void TForm1::N18Click()
{
    m_services.openLink(LoadStr(StringId::HomePageLink));
}

void TForm1::N19Click()
{
    m_services.openLink(LoadStr(StringId::MailLink));
}

void TForm1::HelpClick()
{
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->show();
    m_help->raise();
}
