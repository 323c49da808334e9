#include "classprocess.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

const QByteArray kAddressLead = QByteArrayLiteral("Адрес для учеников: ");
constexpr int kOutputLimit = 64 * 1024;

// The last lines it wrote to stderr: a refusal is one Russian line, said last.
QString lastWords(const QByteArray &stderrBytes)
{
    QStringList lines;
    for (const QByteArray &line : stderrBytes.split('\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(QString::fromUtf8(line.trimmed()));
    }
    return lines.mid(qMax(0, int(lines.size()) - 3)).join(QLatin1Char('\n'));
}

} // namespace

ClassProcess::ClassProcess(QObject *parent) : QObject(parent), m_process(new QProcess(this))
{
    connect(m_process, &QProcess::readyReadStandardOutput, this, &ClassProcess::readOutput);
    connect(m_process, &QProcess::finished, this, &ClassProcess::finished);
    connect(m_process, &QProcess::errorOccurred, this, &ClassProcess::failedToStart);
}

ClassProcess::~ClassProcess()
{
    // Told first, so that nothing answers a signal from a half-destroyed owner.
    m_process->disconnect(this);
    if (isRunning() && !stopAndWait(30000))
        m_process->kill();
}

void ClassProcess::setProgram(const QString &program, const QStringList &extraArguments)
{
    m_program = program;
    m_extra = extraArguments;
}

void ClassProcess::start(const QString &folder, const QStringList &lessons)
{
    if (isRunning())
        return;
    m_output.clear();
    m_address.clear();
    m_key.clear();
    m_unexpected.clear();
    m_stopping = false;
    // A folder only this user may enter: the key opens the room's games to whoever reads it.
    m_keyDir = std::make_unique<QTemporaryDir>();
    if (!m_keyDir->isValid()) {
        emit ended(QStringLiteral("Не создана временная папка для ключа учителя: %1").arg(m_keyDir->errorString()));
        return;
    }
    QStringList arguments{QStringLiteral("--folder"), folder,
                          QStringLiteral("--teacher-key-file"), m_keyDir->filePath(QStringLiteral("teacher.key"))};
    for (const QString &lesson : lessons)
        arguments << QStringLiteral("--lesson") << lesson;
    arguments << m_extra;
    m_process->start(m_program, arguments, QIODevice::ReadOnly);
}

void ClassProcess::stop()
{
    if (!isRunning())
        return;
    m_stopping = true;
    m_process->terminate();
}

bool ClassProcess::stopAndWait(int ms)
{
    stop();
    return !isRunning() || m_process->waitForFinished(ms);
}

void ClassProcess::readOutput()
{
    if (!m_address.isEmpty()) {
        m_process->readAllStandardOutput();
        return;
    }
    m_output += m_process->readAllStandardOutput().left(kOutputLimit);
    const qsizetype end = m_output.indexOf('\n');
    if (end < 0)
        return;
    const QByteArray line = m_output.left(end).trimmed();
    if (!line.startsWith(kAddressLead)) {
        // Not the program this tab was written for: said when it has stopped.
        m_unexpected = QStringLiteral("Программа «%1» ответила не адресом: %2").arg(m_program, QString::fromUtf8(line));
        m_process->terminate();
        return;
    }
    // The key is written before the address is printed.
    QFile keyFile(m_keyDir->filePath(QStringLiteral("teacher.key")));
    if (keyFile.open(QIODevice::ReadOnly))
        m_key = keyFile.readAll().trimmed();
    m_address = QString::fromUtf8(line.mid(kAddressLead.size())).trimmed();
    emit listening(m_address);
}

void ClassProcess::finished(int exitCode, QProcess::ExitStatus status)
{
    const QString said = lastWords(m_process->readAllStandardError().right(kOutputLimit));
    const bool clean = m_stopping && status == QProcess::NormalExit && exitCode == 0;
    m_address.clear();
    m_key.clear();
    m_keyDir.reset();
    QString problem = m_unexpected;
    if (problem.isEmpty() && !clean) {
        if (!said.isEmpty())
            problem = said;
        else if (status == QProcess::CrashExit)
            problem = QStringLiteral("Программа «%1» прервалась аварийно.").arg(m_program);
        else
            problem = QStringLiteral("Программа «%1» завершилась с кодом %2.").arg(m_program).arg(exitCode);
    }
    emit ended(problem);
}

void ClassProcess::failedToStart(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
        return;
    m_keyDir.reset();
    emit ended(QStringLiteral("Не удалось запустить «%1»: %2").arg(m_program, m_process->errorString()));
}
