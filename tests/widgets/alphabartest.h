// Helpers shared by the keypad panel tests: ready-made panels, keys by character, pixels.
#pragma once

#include "alphabar.h"

#include <QImage>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <stdexcept>

namespace alphabartest {

inline const QRgb Light = 0xFFFFFF;
inline const QRgb Shadow = 0x808080;
inline const QRgb Maroon = 0x800000;

inline const QStringList KeypadRows{"123", "456", "789", "*0#"};

// A shown panel with the given rows and the defaults otherwise.
inline std::unique_ptr<TAlphaPanel> panelWith(const QStringList &rows)
{
    auto panel = std::make_unique<TAlphaPanel>();
    panel->setAlphaButtons(rows);
    panel->show();
    return panel;
}

// The call window's keypad: maroon, lowered inside a raised bevel, 55 x 72.
inline std::unique_ptr<TAlphaPanel> callWindowKeypad()
{
    auto panel = std::make_unique<TAlphaPanel>();
    panel->setGeometry(27, 8, 55, 72);
    panel->setBevelInner(TAlphaPanel::bvLowered);
    panel->setBevelOuter(TAlphaPanel::bvRaised);
    panel->setColor(QColor(0x80, 0x00, 0x00));
    panel->setAlphaButtons(KeypadRows);
    panel->setCatchButtons(false);
    panel->show();
    return panel;
}

inline QList<QToolButton *> keys(const TAlphaPanel &panel)
{
    return panel.findChildren<QToolButton *>(Qt::FindDirectChildrenOnly);
}

// A radio-group panel with the keypad's rows.
inline std::unique_ptr<TAlphaPanel> caughtKeypad(bool allowAllUp = false)
{
    auto panel = panelWith(KeypadRows);
    panel->setCatchButtons(true);
    panel->setAllowAllUp(allowAllUp);
    return panel;
}

// The key of ch; a missing key fails the test (Google Test reports the exception).
inline QToolButton *key(const TAlphaPanel &panel, QChar ch)
{
    if (QToolButton *found = panel.FindButton(ch))
        return found;
    throw std::runtime_error("no key " + QString(ch).toStdString());
}

inline void click(const TAlphaPanel &panel, QChar ch)
{
    QTest::mouseClick(key(panel, ch), Qt::LeftButton);
}

// The characters of the keys that are down, in creation order.
inline QString keysDown(const TAlphaPanel &panel)
{
    QString down;
    for (const QToolButton *k : keys(panel)) {
        if (k->isChecked() || k->isDown())
            down += k->text();
    }
    return down;
}

inline QRgb pixelAt(QWidget &widget, int x, int y)
{
    return widget.grab().toImage().pixel(x, y) & 0xFFFFFF;
}

} // namespace alphabartest
