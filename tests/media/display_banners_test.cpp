#include "windowbanners.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kYellow(0xFF, 0xFF, 0x00);

int visibleWindowsTitled(const QString &title)
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title)
            ++count;
    return count;
}

// Counts paints of top-level windows, wherever they come from.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && widget && widget->isWindow())
            ++paints;
        return false;
    }
};

// A text's pixels: yellow on navy, so anything with much red is ink.
bool isInk(const QColor &c)
{
    return c.red() > 128 && c.green() > 128;
}

} // namespace

TEST(BannerGeometry, IsHalfAgainAsWideAsTheTextAndFiveLinesHigh)
{
    BannerGeometry g = bannerGeometry(200, 18);
    EXPECT_EQ(g.width, 340);
    EXPECT_EQ(g.height, 90);
    EXPECT_EQ(g.textX, 75);
    EXPECT_EQ(g.textY, 18);

    g = bannerGeometry(40, 18);
    EXPECT_EQ(g.width, 168);
    EXPECT_EQ(g.textX, 69);

    // The half width is an integer division, and 128 is the least before the margin.
    EXPECT_EQ(bannerGeometry(201, 20).width, 341);
    EXPECT_EQ(bannerGeometry(201, 20).textX, 75);
    EXPECT_EQ(bannerGeometry(201, 20).height, 100);
    EXPECT_EQ(bannerGeometry(85, 10).width, 168);
    EXPECT_EQ(bannerGeometry(86, 10).width, 169);
    EXPECT_EQ(bannerGeometry(0, 10).width, 168);
}

TEST(BannerGeometry, MeasuresTheTextInTheElevenPointInterfaceFont)
{
    const QFont font = bannerFont();
    EXPECT_EQ(font.pointSize(), 11);
    EXPECT_EQ(font.family(), QApplication::font().family());
    const QString text = QStringLiteral("Вопрос на 1 000 очков!");
    const QFontMetrics metrics(font);
    const BannerGeometry expected = bannerGeometry(metrics.horizontalAdvance(text), metrics.height());
    const BannerGeometry g = bannerGeometry(font, text);
    EXPECT_EQ(g.width, expected.width);
    EXPECT_EQ(g.height, expected.height);
    EXPECT_EQ(g.textX, expected.textX);
    EXPECT_EQ(g.textY, expected.textY);
}

TEST(Banner, IsCentredAndHasNoCaptionButtons)
{
    WindowBanners banners;
    const QString text = QStringLiteral("Внимание, вопрос!");
    banners.showBanner(QStringLiteral("Ведущий"), text, kNavy, kYellow);
    QWidget *banner = banners.currentBanner();
    ASSERT_NE(banner, nullptr);
    EXPECT_TRUE(banner->isWindow());
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->windowTitle(), QStringLiteral("Ведущий"));

    const Qt::WindowFlags flags = banner->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    // It never takes the keyboard from the game window.
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(banner->testAttribute(Qt::WA_ShowWithoutActivating));

    const BannerGeometry g = bannerGeometry(bannerFont(), text);
    EXPECT_EQ(banner->size(), QSize(g.width, g.height));
    EXPECT_EQ(banner->minimumSize(), banner->maximumSize());

    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    const QPoint centre = banner->frameGeometry().center();
    EXPECT_LE(std::abs(centre.x() - screenCentre.x()), 1);
    EXPECT_LE(std::abs(centre.y() - screenCentre.y()), 1);
}

TEST(Banner, IsPaintedBeforeShowReturns)
{
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    WindowBanners banners;
    banners.showBanner(QStringLiteral("Ведущий"), QStringLiteral("Привет!"), kNavy, kYellow);
    qApp->removeEventFilter(&counter);
    EXPECT_GE(counter.paints, 1);
}

TEST(Banner, ShowsTheTextOnTheBackgroundAndTheIcon)
{
    QPixmap magenta(32, 32);
    magenta.fill(Qt::magenta);
    QApplication::setWindowIcon(QIcon(magenta));
    WindowBanners banners;
    const QString text = QStringLiteral("ЖЖЖЖЖЖЖЖЖЖ");
    banners.showBanner(QStringLiteral("Ведущий"), text, kNavy, kYellow);
    QApplication::setWindowIcon(QIcon());
    QWidget *banner = banners.currentBanner();
    ASSERT_NE(banner, nullptr);
    const QImage image = banner->grab().toImage();
    const BannerGeometry g = bannerGeometry(bannerFont(), text);

    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), kNavy);
    EXPECT_EQ(image.pixelColor(0, image.height() - 1), kNavy);
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::magenta));

    const int textWidth = QFontMetrics(bannerFont()).horizontalAdvance(text);
    const int lineHeight = QFontMetrics(bannerFont()).height();
    int inside = 0, outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!isInk(image.pixelColor(x, y)))
                continue;
            // A pixel or two of antialiasing may fall just outside the advance box.
            const bool inBox = x >= g.textX - 2 && x < g.textX + textWidth + 2
                && y >= g.textY - 2 && y < g.textY + lineHeight + 2;
            ++(inBox ? inside : outside);
        }
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
}

TEST(Banner, WithoutAnApplicationIconTheCornerIsBackground)
{
    QApplication::setWindowIcon(QIcon());
    WindowBanners banners;
    banners.showBanner(QStringLiteral("Ведущий"), QStringLiteral("Ура!"), kNavy, kYellow);
    ASSERT_NE(banners.currentBanner(), nullptr);
    EXPECT_EQ(banners.currentBanner()->grab().toImage().pixelColor(20, 20), kNavy);
}

TEST(Banner, ASecondBannerReplacesTheFirst)
{
    WindowBanners banners;
    banners.showBanner(QStringLiteral("Первый"), QStringLiteral("Раз"), kNavy, kYellow);
    QPointer<QWidget> first = banners.currentBanner();
    banners.showBanner(QStringLiteral("Второй"), QStringLiteral("Два"), Qt::black, Qt::white);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(visibleWindowsTitled(QStringLiteral("Первый")), 0);
    EXPECT_EQ(visibleWindowsTitled(QStringLiteral("Второй")), 1);
    EXPECT_EQ(banners.currentBanner()->windowTitle(), QStringLiteral("Второй"));
}

TEST(Banner, CloseLeavesNoBannerAndTwiceIsHarmless)
{
    WindowBanners banners;
    banners.closeBanner();
    banners.showBanner(QStringLiteral("Ведущий"), QStringLiteral("Пока!"), kNavy, kYellow);
    QPointer<QWidget> banner = banners.currentBanner();
    ASSERT_FALSE(banner.isNull());
    banners.closeBanner();
    EXPECT_TRUE(banner.isNull());
    EXPECT_EQ(banners.currentBanner(), nullptr);
    EXPECT_EQ(visibleWindowsTitled(QStringLiteral("Ведущий")), 0);
    EXPECT_FALSE(QApplication::topLevelWidgets().contains(banner.data()));
    banners.closeBanner();
    EXPECT_EQ(banners.currentBanner(), nullptr);
}

TEST(Banner, GoesAwayWithItsOwner)
{
    QPointer<QWidget> banner;
    {
        WindowBanners banners;
        banners.showBanner(QStringLiteral("Ведущий"), QStringLiteral("Всё"), kNavy, kYellow);
        banner = banners.currentBanner();
    }
    EXPECT_TRUE(banner.isNull());
}
