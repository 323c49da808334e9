#pragma once
// The application's own style with the toolbar extension icons made on first use. A menu bar
// asks the style for its overflow button's icon the moment it is made; the standard style
// reads that icon from a PNG file, and Qt loads every image plugin installed to decide who
// reads it, which costs more than building the whole menu. The button shows only when the
// menus do not fit, so the icon is left to the first time something draws or measures it.

#include <QProxyStyle>

/// The base style (the application's default when none is given) with the toolbar extension
/// icons read on first use; every other answer is the base style's own.
class LazyIconStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    /// Takes ownership of base; without one, the style the application would have chosen.
    explicit LazyIconStyle(QStyle *base = nullptr);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
