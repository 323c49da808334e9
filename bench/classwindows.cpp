#include "classwindows.h"

#include "probeenv.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>

namespace benchclass {

namespace {

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

} // namespace

Windows::Windows(int n, const QUrl &server, QTemporaryDir &tmp)
    : m_server(server), m_lab(tmp.filePath(QStringLiteral("lab"))), m_tmp(tmp), m_windows(static_cast<size_t>(n))
{
    // A lab machine's folder: the program's tallory.ini for the window's look, no bank.
    QDir().mkpath(m_lab);
    QFile::copy(QStringLiteral(TALLORY_BIN_DIR "/tallory.ini"), m_lab + QStringLiteral("/tallory.ini"));
}

Windows::~Windows()
{
    for (Window &w : m_windows) {
        if (w.process && w.process->state() != QProcess::NotRunning) {
            w.process->kill();
            w.process->waitForFinished(5000);
        }
    }
}

void Windows::start()
{
    const QProcessEnvironment env = bench::offscreenEnvironment(m_tmp, bench::probeEnvironment(m_tmp));
    for (size_t i = 0; i < m_windows.size(); ++i) {
        Window &w = m_windows[i];
        w.process = std::make_unique<QProcess>();
        w.process->setProcessEnvironment(env);
        // Its complaints are read with its figures: a window that fails says why on stderr.
        w.process->setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(w.process.get(), &QProcess::readyReadStandardOutput, [&w] {
            w.out += w.process->readAllStandardOutput();
            // Qt's own remarks on stderr may come first.
            w.ready = w.ready || w.out.startsWith("ready\n") || w.out.contains("\nready\n");
        });
        QObject::connect(w.process.get(), &QProcess::errorOccurred, [&w](QProcess::ProcessError) { w.failed = true; });
        QObject::connect(w.process.get(), &QProcess::finished, [&w](int code, QProcess::ExitStatus status) {
            w.out += w.process->readAllStandardOutput();
            w.failed = w.failed || code != 0 || status != QProcess::NormalExit;
        });
        w.process->start(QStringLiteral(TALLORY_WINDOW_PROBE),
                         {m_server.toString(), m_lab, QString::number(static_cast<int>(i) + 1)});
    }
}

bool Windows::ready() const
{
    return std::all_of(m_windows.begin(), m_windows.end(), [](const Window &w) { return w.ready || w.failed; });
}

void Windows::go(qint64 deadline)
{
    for (Window &w : m_windows) {
        if (w.ready && !w.failed)
            w.process->write("go " + QByteArray::number(deadline) + '\n');
        else
            stop(w, "did not show itself in time");
    }
}

void Windows::stop(Window &w, const char *why)
{
    if (w.process->state() == QProcess::NotRunning)
        return;
    w.out += QByteArray("class_window_probe: ") + why + '\n';
    w.failed = true;
    w.process->kill();
    w.process->waitForFinished(5000);
}

void Windows::stopAll()
{
    for (Window &w : m_windows)
        stop(w, "still running after the play");
}

bool Windows::done() const
{
    return std::all_of(m_windows.begin(), m_windows.end(),
                       [](const Window &w) { return w.process->state() == QProcess::NotRunning; });
}

bool Windows::print(double targetMs) const
{
    std::vector<double> answers;
    std::vector<long> rss;
    long games = 0;
    long lifelines = 0;
    int troubled = 0;
    QStringList said;
    for (size_t i = 0; i < m_windows.size(); ++i) {
        const Window &w = m_windows[i];
        bool erred = w.failed || !w.ready;
        const qsizetype before = said.size();
        for (const QByteArray &line : w.out.split('\n')) {
            const QByteArray value = line.mid(line.indexOf(' ') + 1);
            if (line.startsWith("answer "))
                answers.push_back(value.toDouble());
            else if (line.startsWith("games "))
                games += value.toLong();
            else if (line.startsWith("lifelines "))
                lifelines += value.toLong();
            else if (line.startsWith("rss "))
                rss.push_back(value.toLong());
            else if (line.startsWith("error ") || line.startsWith("class_window_probe: "))
                erred = true;
            if (line.startsWith("error ") || line.startsWith("class_window_probe: ") || (!w.ready && !line.isEmpty()))
                said << QStringLiteral("window %1: %2").arg(i + 1).arg(QString::fromUtf8(line));
        }
        troubled += erred;
        if (erred && said.size() == before)
            said << QStringLiteral("window %1 ended without its figures").arg(i + 1);
    }
    const double p99 = percentile(answers, 0.99);
    const bool met = p99 <= targetMs && troubled == 0 && !answers.empty();
    double rssMb = 0;
    for (long kb : rss)
        rssMb += static_cast<double>(kb) / 1024.0 / static_cast<double>(rss.size());
    std::printf("  desktop windows (%zu, a process each): games %ld, answers %zu, lifelines %ld; answer to verdict "
                "median %.2f ms, p99 %.2f ms (target <= %.0f), errors %d, memory %.0f MB a window (VmRSS)%s\n",
                m_windows.size(), games, answers.size(), lifelines, percentile(answers, 0.5), p99, targetMs, troubled,
                rssMb, met ? "" : "   OVER TARGET");
    for (const QString &s : said.mid(0, 5))
        std::printf("    %s\n", qPrintable(s));
    return met;
}

} // namespace benchclass
