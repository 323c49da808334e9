// The workbench as a screen reader finds it: every visible control of every tab named.

#include "accessibletree.h"
#include "accessiblewidgets.h"
#include "teachertest_window.h"

#include <QTabWidget>

TEST_F(WindowTest, EveryVisibleControlOfEveryTabIsNamed)
{
    InstallAccessibleWidgets();
    openSaved(teachertest::fullBank(2));
    auto *tabs = window->findChild<QTabWidget *>();
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        const QStringList nameless =
            accessibletree::namelessControls(QAccessible::queryAccessibleInterface(window.get()));
        EXPECT_EQ(nameless.join(QStringLiteral("; ")).toStdString(), "") << "tab " << tabs->tabText(i).toStdString();
    }
}
