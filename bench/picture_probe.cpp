// The probe of the first-picture benchmark: a window laid out as the game's, with its
// question text and its 240 px illustration pane, that idles after its first paint and then
// shows two questions, each with a picture. Run as "picture", it shows them as the program
// does (BrowseIllustration); run as "browser", it hands them to the browser module, as the
// program did before it had a picture view of its own. For each it says how long it took
// from the question shown to the picture on the screen, read back from the X server, how much
// of it the call itself took, and the processor time the program used meanwhile.
//
// Usage: picture_probe picture|browser BROWSER-MODULE FIRST.jpg SECOND.jpg

#include "startupprobe.h"

#include "illustrationpane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kTimeoutMs = 30000;

// The centres of the two pictures are painted green and blue: the picture is on the screen
// when the pane's centre shows that colour.
bool shows(const QColor &seen, int index)
{
    const int wanted = index == 0 ? seen.green() : seen.blue();
    const int others = index == 0 ? seen.red() + seen.blue() : seen.red() + seen.green();
    return wanted > 120 && others < 120;
}

class Probe final : public QObject
{
public:
    Probe(bool browser, QString module, QStringList pictures)
        : m_browser(browser), m_module(std::move(module)), m_pictures(std::move(pictures))
    {
        m_window.setGeometry(QGuiApplication::primaryScreen()->geometry());
        QPalette colours = m_window.palette();
        colours.setColor(QPalette::Window, QColor(0x00, 0x00, 0x40));
        colours.setColor(QPalette::WindowText, Qt::white);
        m_window.setPalette(colours);
        m_window.setAutoFillBackground(true);
        m_pane.setGeometry(0, 28, m_window.width(), 240);
        m_question.setGeometry(20, 300, m_window.width() - 40, 60);
        // The game's window has drawn its Cyrillic texts before its first question comes.
        m_question.setText(QStringLiteral("Таллори! Новая тест-игра"));
        m_poll.setTimerType(Qt::PreciseTimer);
        m_poll.setInterval(1);
        connect(&m_poll, &QTimer::timeout, this, &Probe::poll);
    }

    QWidget *window() { return &m_window; }

    /// Shows the next question and its picture, and starts watching the screen for it.
    void next()
    {
        if (m_index >= m_pictures.size()) {
            QCoreApplication::exit(0);
            return;
        }
        m_clock.start();
        m_cpuAtStart = startup::cpuMs();
        m_question.setText(QStringLiteral("Вопрос %1: что на картинке?").arg(m_index + 1));
        if (!m_browser)
            BrowseIllustration(&m_pane, m_pictures[m_index]);
        else
            browse(m_pictures[m_index]);
        m_callMs = double(m_clock.nsecsElapsed()) / 1e6;
        m_poll.start();
    }

private:
    // The browser module is loaded with the first picture, as the program loaded it.
    void browse(const QString &picture)
    {
        if (!m_loaded)
            m_loaded = LoadIllustrationBrowser(m_module);
        if (m_loaded)
            m_loaded(&m_pane, picture);
    }

    void poll()
    {
        const QPoint centre = m_pane.mapToGlobal(m_pane.rect().center());
        const QImage seen = QGuiApplication::primaryScreen()->grabWindow(0, centre.x(), centre.y(), 1, 1).toImage();
        const double ms = double(m_clock.nsecsElapsed()) / 1e6;
        if (!seen.isNull() && shows(seen.pixelColor(0, 0), int(m_index))) {
            m_poll.stop();
            startup::sayMs(m_index == 0 ? "first" : "second", ms);
            startup::sayMs(m_index == 0 ? "first-call" : "second-call", m_callMs);
            startup::sayMs(m_index == 0 ? "first-cpu" : "second-cpu", startup::cpuMs() - m_cpuAtStart);
            ++m_index;
            QTimer::singleShot(startup::kIdleMs, this, &Probe::next);
        } else if (ms > kTimeoutMs) {
            std::fprintf(stderr, "picture_probe: picture %lld never showed\n", qlonglong(m_index + 1));
            QCoreApplication::exit(1);
        }
    }

    bool m_browser = false;
    QString m_module;
    QStringList m_pictures;
    QWidget m_window;
    QWidget m_pane{&m_window};
    QLabel m_question{&m_window};
    QTimer m_poll;
    QElapsedTimer m_clock;
    qsizetype m_index = 0;
    double m_callMs = 0;
    double m_cpuAtStart = 0;
    IllustrationBrowser m_loaded;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: picture_probe picture|browser BROWSER-MODULE FIRST SECOND\n");
        return 2;
    }
    const QStringList args = QCoreApplication::arguments();
    Probe probe(args[1] == QLatin1String("browser"), args[2], {args[3], args[4]});
    probe.window()->show();
    // Once the window has painted and idled, as a game's window has when its question comes.
    QTimer::singleShot(startup::kIdleMs * 2, &probe, &Probe::next);
    return QApplication::exec();
}
