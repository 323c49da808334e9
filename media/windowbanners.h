#pragma once
// The host's banners as small captioned windows in the middle of the screen.

#include "banners.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

/// The banner's size and where its text goes, in the banner's own coordinates.
struct BannerGeometry
{
    int width = 0;
    int height = 0;
    int textX = 0;
    int textY = 0; ///< the top of the text
};

/// The sizing rule of a banner: five text lines high, one and a half text widths (never less
/// than 128) plus 40 wide, the text centred five pixels right of the middle one line down.
BannerGeometry bannerGeometry(int textWidth, int textHeight);
/// The sizing rule for text set in font.
BannerGeometry bannerGeometry(const QFont &font, const QString &text);
/// The banner font: the application's default interface font at 11 points, times the scale.
QFont bannerFont();
/// Large print: banners' text grows by scale (1 for the normal size).
void SetBannerFontScale(double scale);

/// A banner's text as a reader should say it: a word the host spells out letter by letter for
/// show ("П р а в и л ь н о !!!") joined up again, so that it is spoken as a word.
QString SpokenBannerText(const QString &text);

/// The object name of a banner window, by which a screen reader's interface finds it.
inline constexpr char kBannerObjectName[] = "HostBanner";

/// The sizing rule gives the whole window. Here the window manager draws the frame around the
/// client area, so the rule's size is given to the client, and the banner comes out larger by
/// its frame; the text stays where the rule puts it.
class WindowBanners final : public Banners
{
public:
    ~WindowBanners() override;

    /// Closes any banner up and puts up a new one, fully painted before it returns, because
    /// the game holds its thread next.
    void showBanner(const QString &caption, const QString &text, const QColor &background,
                    const QColor &textColour) override;
    void closeBanner() override;

    /// The banner up now, or null; for tests.
    QWidget *currentBanner() const { return m_banner; }

private:
    QPointer<QWidget> m_banner;
    QPointer<QWidget> m_returnTo;
};

/// Gives the keyboard back to a window after a box or a banner above it has gone: a request to
/// the window manager, and the window made the application's active one in any case.
void ActivateAgain(QWidget *window);
