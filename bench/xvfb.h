#pragma once
// A real X server for the benchmarks: the one named by DISPLAY when there is one, otherwise an
// Xvfb started here on a free display and ended with this object. Under a real X server Qt
// loads its xcb platform and, asked for it, the GL driver: costs the offscreen platform hides.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <cstdio>

namespace bench {

class XServer
{
public:
    /// The display to use: DISPLAY, or a new Xvfb with one 1024 x 768 screen, the size the
    /// game is laid out for.
    XServer()
    {
        m_display = qEnvironmentVariable("DISPLAY");
        if (!m_display.isEmpty())
            return;
        // Xvfb chooses a free display itself and writes its number to the descriptor named,
        // here its standard output: no guessing, and no race with another server starting.
        m_server.setProgram(QStringLiteral("Xvfb"));
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")});
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_server.start();
        if (!m_server.waitForStarted(10000))
            return;
        while (!m_server.canReadLine() && m_server.state() == QProcess::Running)
            m_server.waitForReadyRead(10000);
        const QByteArray number = m_server.readLine().trimmed();
        if (!number.isEmpty())
            m_display = QLatin1Char(':') + QString::fromLatin1(number);
    }

    ~XServer()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished(5000);
    }

    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    /// ":N"; empty when no server could be had.
    QString display() const { return m_display; }
    /// Whether this object started the server (and will end it).
    bool started() const { return m_server.state() != QProcess::NotRunning; }

    /// env set to show windows on this server through Qt's xcb platform.
    QProcessEnvironment environment(QProcessEnvironment env) const
    {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), m_display);
        return env;
    }

    /// One line saying which server the figures come from.
    void describe() const
    {
        std::printf("X server: %s on display %s\n", started() ? "Xvfb started by this benchmark" : "DISPLAY",
                    qPrintable(m_display));
    }

private:
    QString m_display;
    QProcess m_server;
};

} // namespace bench
