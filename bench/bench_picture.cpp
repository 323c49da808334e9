// How long a question's picture takes to reach the screen: from the question shown to its
// picture painted, for a photograph of about 1 MB, in the illustration pane's picture view
// and, beside it, in the browser that showed every illustration before.
//
// The probe (picture_probe) is launched afresh for each measurement, the two kinds in turns,
// after one untimed round that fills the disk cache: the first picture of a run is the one a
// player waits for, when the browser engine has yet to start. The second picture of the same
// run tells what the same costs once everything is loaded. The probes show their window on a
// real X server (DISPLAY, or an Xvfb started here) and read the picture back from it.

#include "probeenv.h"
#include "xvfb.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 7;
constexpr double kTargetMs = 50;
constexpr qint64 kPictureBytes = 1024 * 1024;
constexpr int kTimeoutMs = 60000;

/// A photograph-like picture: soft colours with grain, so that it packs as a camera's does,
/// and a plain centre in the colour the probe looks for.
QImage photograph(const QColor &centre)
{
    QImage image(2400, 1600, QImage::Format_RGB32);
    QRandomGenerator grain(1);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(grain.bounded(48));
            line[x] = qRgb((x / 12 + noise) % 256, (y / 8 + noise) % 256, ((x + y) / 20 + noise) % 256);
        }
    }
    QPainter(&image).fillRect(QRect(800, 520, 800, 560), centre);
    return image;
}

/// Saves the picture as a JPEG of about kPictureBytes: the best quality that is no larger.
qint64 saveJpeg(const QImage &image, const QString &path)
{
    QByteArray bytes;
    for (int quality = 95; quality >= 30; quality -= 5) {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", quality);
        if (bytes.size() <= kPictureBytes)
            break;
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return -1;
    return bytes.size();
}

struct Kind {
    const char *label;
    const char *mode;
    QMap<QByteArray, std::vector<double>> figures;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

/// Launches the probe once; false when it failed.
bool launch(Kind &kind, const QProcessEnvironment &env, const QStringList &pictures, bool keep)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/picture_probe"),
            QStringList{QString::fromLatin1(kind.mode), QStringLiteral(TALLORY_BIN_DIR "/tallory_browser")} + pictures);
    if (!p.waitForFinished(kTimeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        std::fprintf(stderr, "bench_picture: the %s probe failed\n%s\n", kind.mode, p.readAllStandardError().constData());
        return false;
    }
    QMap<QByteArray, double> said;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() == 2)
            said.insert(parts[0], parts[1].toDouble());
    }
    if (!said.contains("first") || !said.contains("second"))
        return false;
    for (auto figure = said.cbegin(); keep && figure != said.cend(); ++figure)
        kind.figures[figure.key()].push_back(figure.value());
    return true;
}

void printPicture(const Kind &kind, const char *which)
{
    const QByteArray key(which);
    const std::vector<double> &ms = kind.figures[key];
    const auto [lowest, highest] = std::minmax_element(ms.begin(), ms.end());
    std::printf("    %-6s picture on screen %7.1f ms  (min %.1f, max %.1f); in the call %.1f ms; processor %.1f ms\n",
                which, median(ms), *lowest, *highest, median(kind.figures[key + "-call"]),
                median(kind.figures[key + "-cpu"]));
}

void printKind(const Kind &kind)
{
    std::printf("  %s\n", kind.label);
    printPicture(kind, "first");
    printPicture(kind, "second");
}

int run(const QTemporaryDir &tmp, int runs)
{
    const QStringList pictures{tmp.filePath(QStringLiteral("first.jpg")), tmp.filePath(QStringLiteral("second.jpg"))};
    const qint64 bytes = saveJpeg(photograph(QColor(0, 200, 0)), pictures[0]);
    if (bytes < 0 || saveJpeg(photograph(QColor(0, 0, 200)), pictures[1]) < 0)
        return 2;
    const bench::XServer x;
    if (x.display().isEmpty()) {
        std::fprintf(stderr, "bench_picture: no X server: DISPLAY is not set and Xvfb did not start\n");
        return 2;
    }
    const QProcessEnvironment env = x.environment(bench::probeEnvironment(tmp));
    Kind view{"picture view (the program now)", "picture", {}};
    Kind browser{"browser (every illustration before)", "browser", {}};
    for (int round = -1; round < runs; ++round) {
        for (Kind *kind : {&view, &browser}) {
            if (!launch(*kind, env, pictures, round >= 0))
                return 2;
        }
    }
    std::printf("bench_picture: from the question shown to its picture on the screen, read back from the X server;\n"
                "a 2400 x 1600 JPEG of %.2f MB in the 1024 x 240 pane; median of %d launches each, in turns,\n"
                "after one untimed round\n",
                double(bytes) / 1e6, runs);
    x.describe();
    std::printf("\n");
    printKind(view);
    printKind(browser);
    const double shown = median(view.figures["first"]);
    const bool met = shown <= kTargetMs;
    std::printf("\n  first picture, picture view: %.1f ms   target <= %.0f ms%s\n", shown, kTargetMs,
                met ? "" : "   OVER TARGET");
    std::printf("  first picture, browser / picture view: %.1f times as long\n", median(browser.figures["first"]) / shown);
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::driverMain(argc, argv, kRuns, run);
}
