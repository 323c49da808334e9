#include "illustrationpane.h"
#include "illustrationpicture.h"

#include "testutil.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

const QColor kGround(0x0e, 0x0e, 0x0e);
const QColor kRed(Qt::red);

// A browser's page as the pane sees it: a view with an address.
class FakePage : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QUrl url READ url WRITE setUrl)

public:
    using QWidget::QWidget;
    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url) { m_url = url; }

private:
    QUrl m_url;
};

// A pane the size of the game's illustration strip on a narrow screen, with a fake browser
// that writes down every address it is sent and shows a page view in the pane.
class IllustrationPane : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pane.resize(400, 240);
        pane.show();
        for (int i = 0; i < 50 && !(pane.windowHandle() && pane.windowHandle()->isExposed()); ++i)
            QCoreApplication::processEvents();
    }

    IllustrationBrowser browser()
    {
        return [this](QWidget *to, const QString &address) {
            browsed << address;
            if (!page) {
                // As the real browser does: into the pane's layout, made when there is none.
                page = new FakePage(to);
                QLayout *layout = to->layout() ? to->layout() : new QVBoxLayout(to);
                layout->setContentsMargins(0, 0, 0, 0);
                layout->addWidget(page);
            }
            page->setUrl(QUrl(address));
            page->show();
        };
    }

    QString picture(const QString &name, const QImage &image)
    {
        const QString path = dir.filePath(name);
        image.save(path);
        return path;
    }

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        testutil::writeBytes(path, bytes);
        return path;
    }

    void show(const QString &address) { ShowIllustration(&pane, address, browser()); }

    QImage screen() { return pane.grab().toImage(); }

    IllustrationPicture *view() { return pane.findChild<IllustrationPicture *>(); }
    bool pictureShown() { return view() && view()->isVisible(); }

    QTemporaryDir dir;
    QWidget pane;
    FakePage *page = nullptr;
    QStringList browsed;
};

QImage filled(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Where the colour runs along a row or a column: first and last position, -1 when absent.
std::pair<int, int> run(const QImage &image, bool row, int at, const QColor &colour)
{
    int first = -1, last = -1;
    const int length = row ? image.width() : image.height();
    for (int i = 0; i < length; ++i) {
        if (image.pixelColor(row ? i : at, row ? at : i) == colour) {
            first = first < 0 ? i : first;
            last = i;
        }
    }
    return {first, last};
}

// Single black and white pixels side by side.
QImage checks(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, (x + y) % 2 ? Qt::white : Qt::black);
    }
    return image;
}

// Halved checks are grey when smoothly scaled, and black or white when pixels are dropped.
void expectGrey(const QImage &shown, std::initializer_list<QPoint> points)
{
    for (const QPoint at : points) {
        const int grey = shown.pixelColor(at).red();
        EXPECT_GT(grey, 80) << at.x() << "," << at.y();
        EXPECT_LT(grey, 175) << at.x() << "," << at.y();
    }
}

} // namespace

TEST_F(IllustrationPane, SmallPictureIsCentredAtItsOwnSizeOnDarkGround)
{
    show(picture(QStringLiteral("small.png"), filled(100, 60, kRed)));
    const QImage shown = screen();
    EXPECT_EQ(run(shown, true, 120, kRed), std::make_pair(150, 249));
    EXPECT_EQ(run(shown, false, 200, kRed), std::make_pair(90, 149));
    EXPECT_EQ(shown.pixelColor(0, 0), kGround);
    EXPECT_EQ(shown.pixelColor(399, 239), kGround);
    EXPECT_TRUE(browsed.isEmpty());
}

TEST_F(IllustrationPane, WidePictureIsScaledDownToTheFullWidth)
{
    show(picture(QStringLiteral("wide.png"), filled(1600, 480, kRed)));
    const QImage shown = screen();
    EXPECT_EQ(run(shown, true, 120, kRed), std::make_pair(0, 399));
    EXPECT_EQ(run(shown, false, 200, kRed), std::make_pair(60, 179));
    EXPECT_EQ(shown.pixelColor(200, 30), kGround);
}

TEST_F(IllustrationPane, TallPictureIsScaledDownToTheFullHeight)
{
    show(picture(QStringLiteral("tall.jpg"), filled(300, 1440, kRed)));
    const QImage shown = screen();
    // 300 x 1440 in 240 rows is 50 wide; a JPEG's red is red within a step or two.
    const QColor middle = shown.pixelColor(200, 120);
    EXPECT_GT(middle.red(), 240);
    EXPECT_LT(middle.green() + middle.blue(), 20);
    EXPECT_EQ(shown.pixelColor(172, 120), kGround);
    EXPECT_EQ(shown.pixelColor(227, 120), kGround);
    EXPECT_NE(shown.pixelColor(200, 0), kGround);
    EXPECT_NE(shown.pixelColor(200, 239), kGround);
}

TEST_F(IllustrationPane, ScalingDownIsSmooth)
{
    show(picture(QStringLiteral("checks.png"), checks(800, 480)));
    expectGrey(screen(), {QPoint(10, 10), QPoint(200, 120), QPoint(390, 230)});
}

TEST_F(IllustrationPane, PictureIsShownWithoutTheBrowser)
{
    show(QUrl::fromLocalFile(picture(QStringLiteral("Рисунок 1.BMP"), filled(40, 40, kRed))).toString());
    EXPECT_TRUE(pictureShown());
    EXPECT_EQ(screen().pixelColor(200, 120), kRed);
    EXPECT_TRUE(browsed.isEmpty());
    EXPECT_EQ(page, nullptr);
}

TEST_F(IllustrationPane, StillGifIsShownWithoutTheBrowser)
{
    show(file(QStringLiteral("still.gif"), QByteArray("\x47\x49\x46\x38\x39\x61\x04\x00\x02\x00\xf0\x00\x00\xff\x00\x00\x00"
                                                      "\x00\x00\x21\xf9\x04\x00\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x04"
                                                      "\x00\x02\x00\x00\x02\x03\x84\x6f\x05\x00\x3b",
                                                      44)));
    EXPECT_TRUE(browsed.isEmpty());
    EXPECT_EQ(run(screen(), true, 120, kRed), std::make_pair(198, 201));
}

TEST_F(IllustrationPane, MovingGifIsLeftToTheBrowser)
{
    const QString gif = file(QStringLiteral("moving.gif"),
                             QByteArray("\x47\x49\x46\x38\x39\x61\x02\x00\x02\x00\xf0\x00\x00\xff\x00\x00\x00\x00\x00\x21"
                                        "\xf9\x04\x00\x0a\x00\x00\x00\x21\xff\x0b\x4e\x45\x54\x53\x43\x41\x50\x45\x32\x2e"
                                        "\x30\x03\x01\x00\x00\x00\x2c\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x02\x84\x51"
                                        "\x00\x21\xf9\x04\x00\x0a\x00\x00\x00\x2c\x00\x00\x00\x00\x02\x00\x02\x00\x80\x00"
                                        "\x00\xff\x00\x00\x00\x02\x02\x84\x51\x00\x3b",
                                        91));
    show(gif);
    EXPECT_EQ(browsed, QStringList{gif});
    EXPECT_FALSE(pictureShown());
}

TEST_F(IllustrationPane, WebAddressAfterPictureHidesThePicture)
{
    show(picture(QStringLiteral("map.png"), filled(100, 60, kRed)));
    ASSERT_TRUE(pictureShown());
    show(QStringLiteral("http://example.org/map.png"));
    EXPECT_EQ(browsed, QStringList{QStringLiteral("http://example.org/map.png")});
    EXPECT_FALSE(pictureShown());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(page->geometry(), pane.rect());
}

TEST_F(IllustrationPane, PictureAfterPageHidesThePageAndLeavesItBlank)
{
    show(QStringLiteral("https://example.org/video"));
    ASSERT_NE(page, nullptr);
    show(picture(QStringLiteral("map.png"), filled(100, 60, kRed)));
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(page->url(), QUrl(QStringLiteral("about:blank")));
    EXPECT_TRUE(pictureShown());
    EXPECT_EQ(view()->geometry(), pane.rect());
    EXPECT_EQ(screen().pixelColor(200, 120), kRed);
}

TEST_F(IllustrationPane, UnreadablePictureIsLeftToTheBrowser)
{
    const QString broken = file(QStringLiteral("broken.jpg"), "not a picture at all");
    show(picture(QStringLiteral("map.png"), filled(100, 60, kRed)));
    show(broken);
    EXPECT_EQ(browsed, QStringList{broken});
    EXPECT_FALSE(pictureShown());
    EXPECT_TRUE(page->isVisible());
}

// The browser would show its English error page with buttons to press: a missing file is said
// in one Russian line instead, without the browser, whichever way it is named.
TEST_F(IllustrationPane, MissingFileIsSaidInRussianWithNothingToClick)
{
    show(QStringLiteral("https://example.org/page"));
    const QString htm = dir.filePath(QStringLiteral("нет.htm"));
    const std::pair<QString, QString> missingFiles[] = {
        {dir.filePath(QStringLiteral("нет.png")), dir.filePath(QStringLiteral("нет.png"))},
        {dir.filePath(QStringLiteral("нет.html")), dir.filePath(QStringLiteral("нет.html"))},
        {QUrl::fromLocalFile(htm).toString(), htm},
        {dir.path(), dir.path()}};
    for (const auto &[missing, path] : missingFiles) {
        show(missing);
        const auto *message = pane.findChild<QLabel *>(QStringLiteral("IllustrationMessage"));
        ASSERT_NE(message, nullptr);
        EXPECT_TRUE(message->isVisible());
        EXPECT_EQ(message->text(), QStringLiteral("Иллюстрация не найдена: ")
                                       + QDir::toNativeSeparators(path));
        EXPECT_FALSE(page->isVisible());
        EXPECT_EQ(pane.findChildren<QAbstractButton *>(), QList<QAbstractButton *>());
    }
    EXPECT_EQ(browsed, QStringList{QStringLiteral("https://example.org/page")});
    // The next illustration takes the line's place.
    show(picture(QStringLiteral("map.png"), filled(100, 60, kRed)));
    EXPECT_FALSE(pane.findChild<QLabel *>(QStringLiteral("IllustrationMessage"))->isVisible());
    EXPECT_EQ(screen().pixelColor(200, 120), kRed);
}

TEST_F(IllustrationPane, PagesAndOtherFilesGoToTheBrowser)
{
    const QString html = file(QStringLiteral("page.html"), "<p>A page</p>");
    const QString text = file(QStringLiteral("notes.txt"), "notes");
    show(html);
    show(text);
    show(QStringLiteral("ftp://example.org/map.png"));
    EXPECT_EQ(browsed, (QStringList{html, text, QStringLiteral("ftp://example.org/map.png")}));
    EXPECT_EQ(view(), nullptr);
}

TEST(LocalPicture, IsToldByPathOrFileAddressAndSuffix)
{
    EXPECT_EQ(LocalPicturePath(QStringLiteral("/exam/pics/map.PNG")), QStringLiteral("/exam/pics/map.PNG"));
    EXPECT_EQ(LocalPicturePath(QStringLiteral("file:///exam/pics/map.jpeg")), QStringLiteral("/exam/pics/map.jpeg"));
    EXPECT_EQ(LocalPicturePath(QStringLiteral("C:\\Exam\\x.bmp")), QStringLiteral("C:\\Exam\\x.bmp"));
    EXPECT_EQ(LocalPicturePath(QStringLiteral("/exam/pics/anim.gif")), QStringLiteral("/exam/pics/anim.gif"));
    EXPECT_EQ(LocalPicturePath(QStringLiteral("/exam/pics/photo.jpg")), QStringLiteral("/exam/pics/photo.jpg"));
    EXPECT_EQ(LocalPicturePath(QStringLiteral("http://example.org/map.png")), QString());
    EXPECT_EQ(LocalPicturePath(QStringLiteral("/exam/page.html")), QString());
    EXPECT_EQ(LocalPicturePath(QStringLiteral("/exam/pics/map")), QString());
}

TEST(LocalPicture, LargePhotographIsDecodedAtTheSizeShown)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    filled(2000, 1000, kRed).save(path);
    EXPECT_EQ(ReadLocalPicture(path, QSize(400, 240)).size(), QSize(400, 200));
    EXPECT_EQ(ReadLocalPicture(path, QSize(4000, 2400)).size(), QSize(2000, 1000));
}

TEST(IllustrationPicture, BarePictureViewIsDarkGround)
{
    IllustrationPicture view;
    view.resize(50, 30);
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), kGround);
    EXPECT_EQ(shown.pixelColor(49, 29), kGround);
}

TEST(IllustrationPicture, ShrinksWithItsView)
{
    IllustrationPicture view;
    view.resize(100, 100);
    view.setPicture(filled(200, 100, kRed));
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(run(shown, true, 50, kRed), std::make_pair(0, 99));
    EXPECT_EQ(run(shown, false, 50, kRed), std::make_pair(25, 74));
}

TEST(IllustrationPicture, ShrinksSmoothly)
{
    IllustrationPicture view;
    view.resize(100, 100);
    view.setPicture(checks(200, 200));
    expectGrey(view.grab().toImage(), {QPoint(1, 1), QPoint(50, 50), QPoint(98, 98)});
}

#include "illustrationpane_test.moc"
