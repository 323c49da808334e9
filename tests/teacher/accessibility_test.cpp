// The workbench as a screen reader finds it: every visible control of every tab named.

#include "accessibletree.h"
#include "accessiblewidgets.h"
#include "teachertest_window.h"

#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>
#include <QTabWidget>

namespace {
// Brings forward, in every tab widget above it, the page that holds w.
void showPageHolding(QWidget *w)
{
    for (; w && w->parentWidget(); w = w->parentWidget()) {
        QWidget *stack = w->parentWidget();
        if (auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget()); tabs && qobject_cast<QStackedWidget *>(stack))
            tabs->setCurrentWidget(w);
    }
}
} // namespace

TEST_F(WindowTest, EveryVisibleControlOfEveryTabIsNamed)
{
    InstallAccessibleWidgets();
    openSaved(teachertest::fullBank(2));
    // Every page of every tab, the tabs inside a tab's page included.
    const QList<QTabWidget *> all = window->findChildren<QTabWidget *>();
    ASSERT_FALSE(all.isEmpty());
    for (QTabWidget *tabs : all) {
        for (int i = 0; i < tabs->count(); ++i) {
            showPageHolding(tabs);
            tabs->setCurrentIndex(i);
            const QStringList nameless =
                accessibletree::namelessControls(QAccessible::queryAccessibleInterface(window.get()));
            EXPECT_EQ(nameless.join(QStringLiteral("; ")).toStdString(), "") << "tab " << tabs->tabText(i).toStdString();
        }
    }
}

TEST_F(WindowTest, FilterClearButtonsAreNamedOnceTheyShow)
{
    InstallAccessibleWidgets();
    auto *name = window->findChild<QLineEdit *>(QStringLiteral("nameFilter"));
    ASSERT_TRUE(name);
    showPageHolding(name);
    QTest::keyClicks(name, QStringLiteral("iv"));
    const QStringList nameless = accessibletree::namelessControls(QAccessible::queryAccessibleInterface(window.get()));
    EXPECT_EQ(nameless.join(QStringLiteral("; ")).toStdString(), "");
}
