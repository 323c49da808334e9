// The workbench with the keyboard alone: Tab goes through every control of each page in the
// order they stand on the screen, never gets stuck, and the control it reaches shows that it
// has the focus; every menu command has a key or a mnemonic.

#include "teachertest_window.h"

#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabWidget>

#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace {

/// A page of a tab widget, named for the messages by its tab's caption.
struct Page {
    QTabWidget *tabs;
    int index;
};

/// Every page a teacher can bring forward: each tab of the window, and each tab inside a tab,
/// but not a tab that only holds tabs.
QList<Page> pagesOf(QWidget *window)
{
    QList<Page> pages;
    for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (!tabs->widget(i)->findChild<QTabWidget *>())
                pages.append({tabs, i});
        }
    }
    return pages;
}

void bringForward(const Page &page)
{
    for (QWidget *w = page.tabs; w && w->parentWidget(); w = w->parentWidget()) {
        QWidget *stack = w->parentWidget();
        if (auto *outer = qobject_cast<QTabWidget *>(stack->parentWidget()); outer && qobject_cast<QStackedWidget *>(stack))
            outer->setCurrentWidget(w);
    }
    page.tabs->setCurrentIndex(page.index);
}

/// What a teacher sees of the page: the page, and for a page inside a tab, the controls of
/// the view that holds those tabs (they steer what the page shows).
QWidget *areaOf(const Page &page)
{
    QWidget *outerPage = page.tabs;
    while (outerPage->parentWidget() && !qobject_cast<QStackedWidget *>(outerPage->parentWidget()))
        outerPage = outerPage->parentWidget();
    return outerPage == page.tabs->window() ? page.tabs->widget(page.index) : outerPage;
}

bool takesTab(const QWidget *w)
{
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

QRect onWindow(const QWidget *w)
{
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

/// Whether b stands before a in reading order: wholly above it, or beside it and wholly left.
bool standsBefore(const QRect &b, const QRect &a)
{
    constexpr int kTolerance = 4;
    if (b.bottom() < a.top() - kTolerance)
        return true;
    const bool beside = b.top() <= a.bottom() && a.top() <= b.bottom();
    return beside && b.right() < a.left() - kTolerance;
}

QString nameOf(const QWidget *w)
{
    const QString name = !w->accessibleName().isEmpty() ? w->accessibleName() : w->objectName();
    return QStringLiteral("%1 «%2»").arg(QString::fromLatin1(w->metaObject()->className()), name);
}

/// The first control in reading order: the topmost, of those level with it the leftmost.
QWidget *firstOnScreen(const QList<QWidget *> &controls)
{
    for (QWidget *w : controls) {
        if (std::none_of(controls.begin(), controls.end(),
                         [w](QWidget *o) { return o != w && standsBefore(onWindow(o), onWindow(w)); }))
            return w;
    }
    return controls.isEmpty() ? nullptr : controls.first();
}

} // namespace

class WorkbenchKeyboard : public WindowTest
{
};

TEST_F(WorkbenchKeyboard, TabGoesThroughEveryControlOfEveryPageInScreenOrderShowingTheFocus)
{
    openSaved(teachertest::fullBank(2));
    const QList<Page> pages = pagesOf(window.get());
    ASSERT_GE(pages.size(), 8);
    for (const Page &page : pages) {
        bringForward(page);
        QWidget *area = areaOf(page);
        const std::string where = page.tabs->tabText(page.index).toStdString();
        QList<QWidget *> controls;
        for (QWidget *w : area->findChildren<QWidget *>()) {
            if (takesTab(w))
                controls << w;
        }
        ASSERT_FALSE(controls.isEmpty()) << where;
        QWidget *first = firstOnScreen(controls);
        first->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), first) << where;

        QList<QWidget *> reached{first};
        QWidget *at = first;
        for (int step = 0; step < 3 * int(controls.size()) + 6; ++step) {
            const QRect place = onWindow(at).adjusted(-2, -2, 2, 2);
            const QImage focused = window->grab(place).toImage();
            QTest::keyClick(at, Qt::Key_Tab);
            QWidget *next = QApplication::focusWidget();
            ASSERT_NE(next, nullptr) << where;
            EXPECT_NE(next, at) << where << ": Tab stays in " << nameOf(at).toStdString();
            if (next == at)
                break;
            EXPECT_NE(window->grab(place).toImage(), focused)
                << where << ": no sign of the focus on " << nameOf(at).toStdString();
            if (next == first)
                break;
            if (area->isAncestorOf(next) && !reached.contains(next)) {
                EXPECT_FALSE(standsBefore(onWindow(next), onWindow(reached.last())))
                    << where << ": Tab goes back from " << nameOf(reached.last()).toStdString() << " to "
                    << nameOf(next).toStdString();
                reached << next;
            }
            at = next;
        }
        for (QWidget *w : controls)
            EXPECT_TRUE(reached.contains(w)) << where << ": Tab never reaches " << nameOf(w).toStdString();
    }
}

TEST_F(WorkbenchKeyboard, EveryMenuCommandHasAKeyOrAMnemonic)
{
    openSaved(teachertest::fullBank(2)); // the list of banks opened last has one now
    QStringList without;
    std::function<void(QMenu *)> walk = [&](QMenu *menu) {
        for (QAction *a : menu->actions()) {
            if (a->isSeparator())
                continue;
            if (a->shortcut().isEmpty() && !a->text().contains(QRegularExpression(QStringLiteral("&[^&]"))))
                without << menu->title() + QStringLiteral(" → ") + a->text();
            if (a->menu())
                walk(a->menu());
        }
    };
    for (QAction *top : window->menuBar()->actions()) {
        if (!top->text().contains(QRegularExpression(QStringLiteral("&[^&]"))))
            without << top->text();
        if (top->menu())
            walk(top->menu());
    }
    EXPECT_EQ(without.join(QStringLiteral("; ")).toStdString(), "");
}

TEST_F(WorkbenchKeyboard, CtrlTabBringsTheNextPageForwardAndCtrlShiftTabThePreviousFromAPage)
{
    openSaved(teachertest::fullBank(2));
    QTabWidget *tabs = window->tabs();
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        QList<QWidget *> controls;
        for (QWidget *w : tabs->currentWidget()->findChildren<QWidget *>()) {
            if (takesTab(w))
                controls << w;
        }
        QWidget *first = firstOnScreen(controls);
        ASSERT_NE(first, nullptr);
        first->setFocus(Qt::TabFocusReason);
        QTest::keyClick(first, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(tabs->currentIndex(), (page + 1) % tabs->count()) << "from " << nameOf(first).toStdString();
        tabs->setCurrentIndex(page);
        first->setFocus(Qt::TabFocusReason);
        QTest::keyClick(first, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(tabs->currentIndex(), (page + tabs->count() - 1) % tabs->count()) << "back from " << nameOf(first).toStdString();
    }
}
