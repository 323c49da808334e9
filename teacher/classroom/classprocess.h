#pragma once
// tallory-class run for the workbench: started on the program folder with the lessons to open,
// its address read from the first line it prints, its teacher key from a file in a private
// temporary folder, stopped by SIGTERM so that it settles every game and the journal first.

#include <QObject>
#include <QProcess>
#include <QStringList>

#include <memory>

class QTemporaryDir;

class ClassProcess : public QObject
{
    Q_OBJECT

public:
    explicit ClassProcess(QObject *parent = nullptr);
    /// Stops the program and waits for it: a room left running would hold the port and the folder.
    ~ClassProcess() override;

    /// The program to run and options put after the workbench's own (a port, an address).
    void setProgram(const QString &program, const QStringList &extraArguments);
    QString program() const { return m_program; }

    /// Starts it; listening() or ended() follows.
    void start(const QString &folder, const QStringList &lessons);
    /// Asks it to stop (SIGTERM); ended() follows once it has.
    void stop();
    /// Asks it to stop and waits up to ms for it; whether it has stopped.
    bool stopAndWait(int ms);

    bool isRunning() const { return m_process->state() != QProcess::NotRunning; }
    /// The address students open, once listening; empty before.
    QString address() const { return m_address; }
    /// The key of the teacher API, once listening.
    QByteArray key() const { return m_key; }

signals:
    /// The program prints its address: students may join.
    void listening(const QString &address);
    /// The program is no more. problem: empty after a clean stop; otherwise what it said on
    /// stderr (a refusal to start), or how it ended.
    void ended(const QString &problem);

private:
    void readOutput();
    void finished(int exitCode, QProcess::ExitStatus status);
    void failedToStart(QProcess::ProcessError error);

    QProcess *m_process;
    QString m_program;
    QStringList m_extra;
    std::unique_ptr<QTemporaryDir> m_keyDir;
    QByteArray m_output;
    QString m_address;
    QByteArray m_key;
    QString m_unexpected; ///< the first line was not the address
    bool m_stopping = false; ///< asked to stop: exit 0 then is a clean stop
};
