#pragma once
// The lab machines of bench_class: the game's own window in class mode, one process each
// (class_window_probe), playing alongside the browsers on the same server. Driven on the
// caller's event loop, as the browsers are: started, told to go, their figures read at exit.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <vector>

namespace benchclass {

class Windows
{
public:
    /// n windows of the class server at server; their lab folder (the program's look and no
    /// bank) and their home folders under tmp.
    Windows(int n, const QUrl &server, QTemporaryDir &tmp);
    ~Windows();

    /// Starts every window; ready() is true once each has shown itself or failed.
    void start();
    bool ready() const;
    /// Every window that started plays until deadline (ms since the epoch).
    void go(qint64 deadline);
    /// Every window has ended.
    bool done() const;
    /// Ends the windows still running, each counted as failed.
    void stopAll();

    /// Prints the windows' line and what went wrong; whether the target was met without errors.
    bool print(double targetMs) const;

private:
    struct Window {
        std::unique_ptr<QProcess> process;
        QByteArray out;
        bool ready = false;
        bool failed = false; ///< did not start, or ended without its figures
    };

    void stop(Window &w, const char *why);

    QUrl m_server;
    QString m_lab;
    QTemporaryDir &m_tmp;
    std::vector<Window> m_windows;
};

} // namespace benchclass
