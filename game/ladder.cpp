// The ladder, the board and the switch of the game controls.

#include "tform1.h"

#include "accessiblegame.h"
#include "announcer.h"
#include "gradbtn.h"
#include "readablecolour.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>

namespace {
const QColor kRestingText(0xFF, 0x9D, 0x6F);
const QColor kRestingMilestoneText(0xFF, 0xFF, 0x97);
const QColor kCurrentText(0xFF, 0xFF, 0xAA);
const QColor kCurrentBackground(0xFF, 0x68, 0x20);
const QColor kCurrentMilestoneBackground(0xFF, 0x00, 0x00);
} // namespace

void TForm1::PaintRow(int level, const QColor &text, const QColor &background, char marker)
{
    QLineEdit *row = Edit[static_cast<size_t>(level)];
    // The pale yellow of the current row does not read on its orange or red (2.8 and 3.8 to 1):
    // those are deepened until it does, and stay orange and red.
    const QColor behind = ReadableBackground(background, text);
    QPalette pal = row->palette();
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::Base, behind);
    pal.setColor(QPalette::Window, behind);
    row->setPalette(pal);
    // Only the marker, character 5, changes. A row that already shows it is left alone: a new
    // game repaints every row, and a reader that gets a burst of events for rows that did not
    // change drops the ones that matter (the question read out just after).
    const QString old = row->text();
    const QString marked = old.left(4) + QLatin1Char(marker) + old.mid(5, 15);
    if (marked == old)
        return;
    row->setText(marked);
    row->setCursorPosition(0);
    // The marker is the row's selection for a reader, and a row left behind is now passed.
    QAccessible::State selection;
    selection.selected = true;
    QAccessibleStateChangeEvent selected(row, selection);
    QAccessible::updateAccessibility(&selected);
    QAccessibleEvent described(row, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

void TForm1::RestLadder()
{
    for (int n = 1; n <= kLevels; ++n)
        PaintRow(n, IsMilestone(n) ? kRestingMilestoneText : kRestingText, Qt::black, '-');
}

void TForm1::New(int n)
{
    const int below = n >= 2 ? n - 1 : (n == 1 ? kLevels : 1);
    PaintRow(below, IsMilestone(below) ? kRestingMilestoneText : kRestingText, Qt::black, '-');
    if (n >= 1 && n <= kLevels)
        PaintRow(n, kCurrentText, IsMilestone(n) ? kCurrentMilestoneBackground : kCurrentBackground, '>');
}

void TForm1::TabloV(int level, bool show)
{
    for (int tag = 1; tag <= 4; ++tag)
        FaqBtn[static_cast<size_t>(tag)]->setVisible(!show);
    Memo1->setVisible(!show);
    Label1->setText(QStringLiteral("* %1 *").arg(PointsTable(level)));
    Tablo->setVisible(show);
    if (show)
        m_announcer->announce(QStringLiteral("У вас %1 очков.").arg(PointsTable(level)));
    repaint();
}

void TForm1::GameEnable(bool on)
{
    for (QAction *item : {N50501, N4, N5})
        item->setEnabled(on);
    for (QToolButton *item : {SL1, SL2, SL3})
        item->setEnabled(on);
    N6->setEnabled(false);
    SL4->setEnabled(false);
    if (on)
        enableStop();
    // Whether on or off, no lifeline of the game to come has been used yet.
    MarkLifelineUsed(N50501, SL1, false);
    MarkLifelineUsed(N4, SL3, false);
    MarkLifelineUsed(N5, SL2, false);
    Panel3->setVisible(on);
    Memo1->setVisible(on);
    for (int tag = 1; tag <= 4; ++tag)
        FaqBtn[static_cast<size_t>(tag)]->setVisible(on);
}

// The stop keeps the grade reached: before the first right answer there is none, and the
// command, which would do nothing, does not look as if it could be pressed.
void TForm1::enableStop()
{
    const bool canStop = m_rules->mayStop();
    N6->setEnabled(canStop);
    SL4->setEnabled(canStop);
}
