// The picture renderer the build runs on the game's art: SVG in, bare pixels or a PNG out, at
// the size asked, and nothing written when it cannot do its work.

#include "toolstest.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstring>

using namespace toolstest;

namespace {

// A red left half on a transparent ground.
const QByteArray kHalfRed = R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10" viewBox="0 0 10 10">)"
                            R"(<rect x="0" y="0" width="5" height="10" fill="#ff0000"/></svg>)";

// The pixel at x, y of bare pixels width wide: a premultiplied ARGB word in this machine's order.
quint32 pixelAt(const QByteArray &pixels, int width, int x, int y)
{
    quint32 word = 0;
    std::memcpy(&word, pixels.constData() + (qsizetype(y) * width + x) * 4, 4);
    return word;
}

} // namespace

TEST(RenderTool, DrawsTheArtAtTheSizeAskedAsBarePixels)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("half.svg"), kHalfRed);
    const ToolRun run = runTool("tallory-render", {"half.svg", "half.pixels", "8", "4"}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    const QByteArray pixels = readBytes(dir.filePath("half.pixels"));
    ASSERT_EQ(pixels.size(), 8 * 4 * 4);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(pixelAt(pixels, 8, 0, y), 0xFFFF0000u) << y;
        EXPECT_EQ(pixelAt(pixels, 8, 3, y), 0xFFFF0000u) << y;
        EXPECT_EQ(pixelAt(pixels, 8, 4, y), 0u) << y;
        EXPECT_EQ(pixelAt(pixels, 8, 7, y), 0u) << y;
    }
}

TEST(RenderTool, WritesAPngWhenTheNameSaysSo)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("half.svg"), kHalfRed);
    EXPECT_EQ(runTool("tallory-render", {"half.svg", "half.png", "20", "10"}, dir.path()).exitCode, 0);
    const QByteArray png = readBytes(dir.filePath("half.png"));
    EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    // The header chunk gives the size: width and height, big-endian, after the signature.
    ASSERT_GE(png.size(), 24);
    EXPECT_EQ(qFromBigEndian<quint32>(png.constData() + 16), 20u);
    EXPECT_EQ(qFromBigEndian<quint32>(png.constData() + 20), 10u);
}

TEST(RenderTool, WritesNothingForBadArtOrABadSize)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("half.svg"), kHalfRed);
    writeBytes(dir.filePath("broken.svg"), "<svg this is not");
    for (const QStringList &args : {QStringList{"broken.svg", "out.pixels", "8", "4"},
                                    QStringList{"missing.svg", "out.pixels", "8", "4"},
                                    QStringList{"half.svg", "out.pixels", "0", "4"},
                                    QStringList{"half.svg", "out.pixels", "8", "four"}}) {
        const ToolRun run = runTool("tallory-render", args, dir.path());
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.pixels")));
    }
    EXPECT_EQ(runTool("tallory-render", {"half.svg", "out.pixels"}, dir.path()).exitCode, 2);
}
