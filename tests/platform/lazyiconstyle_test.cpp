// The program's style: the toolbar extension icons are asked of the base style only when
// something draws them, and then look exactly as the base style's; everything else is the
// base style's at once.

#include "lazyiconstyle.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyleFactory>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// A base style that counts the standard icons it is asked for.
class CountingStyle final : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const override
    {
        ++asked[icon];
        return QProxyStyle::standardIcon(icon, option, widget);
    }

    mutable QHash<int, int> asked;
};

QImage drawn(const QIcon &icon, int size, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(size, mode).toImage();
}

// The icon the application's standard style has, for comparison.
QIcon standardIcon(QStyle::StandardPixmap which)
{
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(QApplication::style()->name()));
    return plain->standardIcon(which);
}

} // namespace

TEST(LazyIconStyle, MenuBarAsksForItsOverflowIconOnlyWhenItIsDrawn)
{
    const QString previous = QApplication::style()->name();
    const QIcon expected = standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    auto *counting = new CountingStyle;
    QApplication::setStyle(new LazyIconStyle(counting));
    {
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("Тест-Игра"));
        const auto *overflow = window.menuBar()->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"));
        ASSERT_NE(overflow, nullptr);
        EXPECT_EQ(counting->asked.value(QStyle::SP_ToolBarHorizontalExtensionButton), 0);

        EXPECT_EQ(drawn(overflow->icon(), 16), drawn(expected, 16));
        EXPECT_EQ(drawn(overflow->icon(), 8), drawn(expected, 8));
        EXPECT_EQ(drawn(overflow->icon(), 16, QIcon::Disabled), drawn(expected, 16, QIcon::Disabled));
        EXPECT_EQ(counting->asked.value(QStyle::SP_ToolBarHorizontalExtensionButton), 1);
    }
    QApplication::setStyle(QStyleFactory::create(previous));
}

TEST(LazyIconStyle, DeferredIconAnswersAsTheRealOne)
{
    LazyIconStyle style;
    for (const auto which : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QIcon expected = standardIcon(which);
        const QIcon icon = style.standardIcon(which);
        EXPECT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes(), expected.availableSizes());
        EXPECT_EQ(icon.actualSize(QSize(64, 64)), expected.actualSize(QSize(64, 64)));
        EXPECT_EQ(drawn(icon, 16), drawn(expected, 16));
        // A copy that is given a picture of its own changes as a copy of the real one does,
        // and leaves the icon it was copied from as it was.
        QPixmap red(24, 24);
        red.fill(Qt::red);
        QIcon changed = icon;
        changed.addPixmap(red);
        QIcon changedExpected = expected;
        changedExpected.addPixmap(red);
        for (const int size : {8, 16, 24, 32})
            EXPECT_EQ(drawn(changed, size), drawn(changedExpected, size)) << size;
        EXPECT_EQ(drawn(changed, 24).pixelColor(12, 12), QColor(Qt::red));
        EXPECT_EQ(drawn(icon, 24), drawn(expected, 24));
    }
}

TEST(LazyIconStyle, OtherIconsComeFromTheBaseStyleAtOnce)
{
    auto *counting = new CountingStyle;
    LazyIconStyle style(counting);
    const QIcon warning = style.standardIcon(QStyle::SP_MessageBoxWarning);
    EXPECT_EQ(counting->asked.value(QStyle::SP_MessageBoxWarning), 1);
    EXPECT_EQ(drawn(warning, 32), drawn(standardIcon(QStyle::SP_MessageBoxWarning), 32));
}
