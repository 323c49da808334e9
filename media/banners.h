#pragma once
// The host's banners: at most one at a time, drawn once and left up while the game's sequence
// holds the thread, closed when its clip has ended.

#include <QColor>
#include <QString>

class Banners
{
public:
    virtual ~Banners() = default;
    virtual void showBanner(const QString &caption, const QString &text, const QColor &background,
                            const QColor &textColour) = 0;
    /// Closes the current banner; nothing when there is none.
    virtual void closeBanner() = 0;
};
