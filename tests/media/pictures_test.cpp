// The built-in pictures, toolbar pictures and cursors as the screens receive them, the loader of
// replacement picture files, and the friends' captions that go with the portraits.

#include "../../session/friendnames.h"
#include "cp1251.h"
#include "pictures.h"
#include "testutil.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Expected
{
    QString name;
    QSize size;
    bool fillsFrame; // drawn edge to edge, unlike the emblem and the cursors
};

QList<Expected> builtins()
{
    QList<Expected> list = {
        {"WAYS", {127, 130}, false}, {"GAME", {252, 189}, true}, {"VEDOK", {101, 100}, true},
        {"BOARD", {1024, 50}, true}, {"MYHAND", {32, 32}, false}, {"NORM", {32, 32}, false},
    };
    for (int n = 1; n <= 14; ++n)
        list.append({QStringLiteral("DR%1").arg(n), {50, 72}, true});
    return list;
}

const QStringList kToolbarItems = {"SL1", "SL2", "SL3", "SL4", "SL6", "SL7", "SL8"};

QImage imageOf(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

int distinctColours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return count;
}

int maxSaturation(const QImage &image)
{
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 32)
                most = std::max(most, QColor::fromRgba(image.pixel(x, y)).hsvSaturation());
    return most;
}

QImage sample()
{
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    image.setPixelColor(3, 2, QColor(250, 20, 90));
    return image;
}

} // namespace

TEST(BuiltinPicture, EveryNameLoadsAtItsNominalSizeInAnyLetterCase)
{
    for (const Expected &e : builtins()) {
        QString mixed = e.name.toLower();
        mixed[0] = mixed[0].toUpper();
        for (const QString &name : {e.name, e.name.toLower(), mixed}) {
            const QPixmap pixmap = BuiltinPicture(name);
            ASSERT_FALSE(pixmap.isNull()) << name.toStdString();
            EXPECT_EQ(pixmap.size(), e.size) << name.toStdString();
            EXPECT_EQ(BuiltinPictureSize(name), e.size) << name.toStdString();
        }
    }
}

TEST(BuiltinPicture, UnknownNameGivesNull)
{
    for (const QString name : {"", "DR0", "DR15", "WAY", "SL1", "ways.svg", "ГЕЙМ"}) {
        EXPECT_TRUE(BuiltinPicture(name).isNull()) << name.toStdString();
        EXPECT_FALSE(BuiltinPictureSize(name).isValid()) << name.toStdString();
    }
}

TEST(BuiltinPicture, EveryPictureIsDrawnInSeveralColours)
{
    for (const Expected &e : builtins()) {
        const QImage image = imageOf(BuiltinPicture(e.name));
        EXPECT_GE(distinctColours(image), 8) << e.name.toStdString();
        EXPECT_GT(opaquePixels(image), image.width() * image.height() / 10) << e.name.toStdString();
    }
}

TEST(BuiltinPicture, FramedPicturesAreOpaqueToTheEdgesAndTheEmblemIsRound)
{
    for (const Expected &e : builtins()) {
        const QImage image = imageOf(BuiltinPicture(e.name));
        const int r = image.width() - 1, b = image.height() - 1;
        const QList<QPoint> corners = {{0, 0}, {r, 0}, {0, b}, {r, b}};
        for (const QPoint &c : corners) {
            if (e.fillsFrame) {
                EXPECT_EQ(qAlpha(image.pixel(c)), 255) << e.name.toStdString();
            }
        }
    }
    // The emblem lies on the window's own gradient: its corners let it show through.
    const QImage ways = imageOf(BuiltinPicture("WAYS"));
    EXPECT_EQ(qAlpha(ways.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(ways.pixel(126, 129)), 0);
    EXPECT_EQ(qAlpha(ways.pixel(63, 65)), 255);
}

TEST(BuiltinPicture, FourteenFriendPortraitsArePairwiseDifferent)
{
    QList<QImage> portraits;
    for (int n = 1; n <= 14; ++n)
        portraits.append(imageOf(BuiltinPicture(QStringLiteral("dr%1").arg(n))));
    const int area = 50 * 72;
    for (int i = 0; i < portraits.size(); ++i)
        for (int j = i + 1; j < portraits.size(); ++j)
            EXPECT_GT(differingPixels(portraits[i], portraits[j]), area / 4)
                << "DR" << i + 1 << " and DR" << j + 1;
}

TEST(BuiltinPicture, IsLoadedOnceAndSharedAfterwards)
{
    const QPixmap first = BuiltinPicture("GAME");
    const QPixmap again = BuiltinPicture("game");
    EXPECT_EQ(first.cacheKey(), again.cacheKey());
    EXPECT_EQ(ToolbarPicture("SL2", true).cacheKey(), ToolbarPicture("sl2", true).cacheKey());
}

TEST(ToolbarPicture, EveryItemExistsInBothStatesThatDiffer)
{
    for (const QString &item : kToolbarItems) {
        for (const QString &name : {item, item.toLower()}) {
            const QPixmap on = ToolbarPicture(name, true);
            const QPixmap off = ToolbarPicture(name, false);
            ASSERT_FALSE(on.isNull()) << name.toStdString();
            ASSERT_FALSE(off.isNull()) << name.toStdString();
            EXPECT_EQ(on.size(), QSize(48, 24));
            EXPECT_EQ(off.size(), QSize(48, 24));
            EXPECT_GT(differingPixels(imageOf(on), imageOf(off)), 48 * 24 / 4) << name.toStdString();
        }
    }
}

TEST(ToolbarPicture, GreyedStateHasNoColourWhileNormalStateHas)
{
    for (const QString &item : kToolbarItems) {
        EXPECT_GT(maxSaturation(imageOf(ToolbarPicture(item, true))), 120) << item.toStdString();
        EXPECT_LE(maxSaturation(imageOf(ToolbarPicture(item, false))), 12) << item.toStdString();
    }
}

TEST(ToolbarPicture, EachItemLooksDifferent)
{
    for (int i = 0; i < kToolbarItems.size(); ++i)
        for (int j = i + 1; j < kToolbarItems.size(); ++j)
            EXPECT_GT(differingPixels(imageOf(ToolbarPicture(kToolbarItems[i], true)),
                                      imageOf(ToolbarPicture(kToolbarItems[j], true))),
                      40)
                << kToolbarItems[i].toStdString() << " " << kToolbarItems[j].toStdString();
}

TEST(ToolbarPicture, UnknownItemGivesNull)
{
    for (const QString item : {"", "SL5", "SL9", "SL0", "WAYS"}) {
        EXPECT_TRUE(ToolbarPicture(item, true).isNull()) << item.toStdString();
        EXPECT_TRUE(ToolbarPicture(item, false).isNull()) << item.toStdString();
    }
}

TEST(BuiltinCursor, HandAndArrowHaveTheirHotSpotsOnTheDrawing)
{
    const QCursor hand = BuiltinCursor("myhand");
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    EXPECT_EQ(hand.hotSpot(), QPoint(12, 1));
    EXPECT_EQ(hand.pixmap().size(), QSize(32, 32));
    const QImage handImage = imageOf(hand.pixmap());
    EXPECT_GT(qAlpha(handImage.pixel(12, 1)), 0);   // the finger tip points
    EXPECT_EQ(qAlpha(handImage.pixel(31, 0)), 0);   // transparent around it

    const QCursor arrow = BuiltinCursor("Norm");
    EXPECT_EQ(arrow.shape(), Qt::BitmapCursor);
    EXPECT_EQ(arrow.hotSpot(), QPoint(0, 0));
    EXPECT_EQ(arrow.pixmap().size(), QSize(32, 32));
    const QImage arrowImage = imageOf(arrow.pixmap());
    EXPECT_GT(qAlpha(arrowImage.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(arrowImage.pixel(31, 0)), 0);
    EXPECT_EQ(qAlpha(arrowImage.pixel(31, 31)), 0);
}

TEST(BuiltinCursor, OutlineIsDarkAndBodyIsLight)
{
    const QImage arrow = imageOf(BuiltinCursor("NORM").pixmap());
    EXPECT_LT(QColor::fromRgba(arrow.pixel(0, 10)).lightness(), 80);  // left edge
    EXPECT_GT(QColor::fromRgba(arrow.pixel(4, 12)).lightness(), 200); // inside
}

TEST(BuiltinCursor, UnknownNameGivesTheStandardArrow)
{
    EXPECT_EQ(BuiltinCursor("HAND").shape(), Qt::ArrowCursor);
    EXPECT_EQ(BuiltinCursor("").shape(), Qt::ArrowCursor);
}

TEST(LoadPictureFile, ReadsBitmapPngAndJpeg)
{
    QTemporaryDir dir;
    const QImage image = sample();
    for (const char *format : {"BMP", "PNG", "JPG"}) {
        const QString path = dir.filePath(QStringLiteral("pic.") + QString::fromLatin1(format).toLower());
        ASSERT_TRUE(image.save(path, format)) << format;
        const QPixmap loaded = LoadPictureFile(path);
        ASSERT_FALSE(loaded.isNull()) << format;
        EXPECT_EQ(loaded.size(), QSize(7, 5)) << format;
        const QColor corner = loaded.toImage().pixelColor(0, 0);
        EXPECT_NEAR(corner.green(), 200, 12) << format;
    }
    // Exact colours survive the lossless formats.
    EXPECT_EQ(LoadPictureFile(dir.filePath("pic.bmp")).toImage().pixelColor(3, 2), QColor(250, 20, 90));
    EXPECT_EQ(LoadPictureFile(dir.filePath("pic.png")).toImage().pixelColor(3, 2), QColor(250, 20, 90));
}

TEST(LoadPictureFile, RecognisesTheFormatByContentNotByName)
{
    QTemporaryDir dir;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(sample().save(&buffer, "PNG"));
    testutil::writeBytes(dir.filePath("WAYS.BMP"), png);
    const QPixmap loaded = LoadPictureFile(dir.filePath("WAYS.BMP"));
    ASSERT_FALSE(loaded.isNull());
    EXPECT_EQ(loaded.size(), QSize(7, 5));
}

TEST(LoadPictureFile, DamagedOrMissingFileGivesNull)
{
    QTemporaryDir dir;
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(sample().save(&buffer, "BMP"));
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(sample().scaled(64, 64).save(&pngBuffer, "PNG"));
    testutil::writeBytes(dir.filePath("cut.bmp"), bmp.left(40));
    testutil::writeBytes(dir.filePath("headers.bmp"), bmp.left(60));
    testutil::writeBytes(dir.filePath("half.png"), png.left(png.size() / 2));
    testutil::writeBytes(dir.filePath("noise.bmp"), QByteArray("BM this is not a picture at all"));
    testutil::writeBytes(dir.filePath("empty.bmp"), QByteArray());
    testutil::writeBytes(dir.filePath("words.png"), QByteArray("just some text\r\n"));

    for (const char *name : {"cut.bmp", "headers.bmp", "half.png", "noise.bmp", "empty.bmp", "words.png", "missing.bmp"})
        EXPECT_TRUE(LoadPictureFile(dir.filePath(name)).isNull()) << name;
    EXPECT_TRUE(LoadPictureFile(dir.path()).isNull());
    EXPECT_TRUE(LoadPictureFile(QString()).isNull());
}

TEST(FriendNames, FourteenShortDistinctCaptionsEndingWithAColon)
{
    EXPECT_EQ(kFriendNames[0], nullptr);
    QSet<QString> seen;
    for (int n = 1; n <= 14; ++n) {
        const QString caption = FriendName(n);
        EXPECT_TRUE(caption.endsWith(QLatin1Char(':'))) << n;
        EXPECT_GE(caption.size(), 8) << n;
        EXPECT_LE(caption.size(), 28) << n;
        EXPECT_FALSE(caption.contains(QLatin1Char('\n')) || caption.contains(QLatin1Char('\r'))) << n;
        EXPECT_TRUE(cp1251::encode(caption).has_value()) << n;
        seen.insert(caption);
    }
    EXPECT_EQ(seen.size(), 14);
    EXPECT_TRUE(FriendName(0).isEmpty());
    EXPECT_TRUE(FriendName(15).isEmpty());
}
