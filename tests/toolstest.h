#pragma once
// Helpers of the tool tests: Windows-1251 literals, files, and running the built programs.

#include "cp1251.h"
#include "testutil.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

// Readable failures: texts in UTF-8, bytes with the ones outside ASCII in hexadecimal.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"';
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F)
            *os << c;
        else
            *os << "\\x" << "0123456789ABCDEF"[b >> 4] << "0123456789ABCDEF"[b & 15];
    }
    *os << '"';
}

namespace toolstest {

using testutil::w;
using testutil::xorAd;

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

struct ToolRun {
    int exitCode = -1; ///< -1 when the program did not start or crashed
    QByteArray out;
    QByteArray err;
};

/// Runs a built tool ("tallory-bank", …) in workDir and waits for it to finish.
inline ToolRun runTool(const QString &tool, const QStringList &args, const QString &workDir)
{
    QProcess p;
    p.setProgram(QStringLiteral(TALLORY_TOOLS_DIR "/") + tool);
    p.setArguments(args);
    p.setWorkingDirectory(workDir);
    p.start();
    ToolRun run;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = p.exitCode();
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

/// UTF-8 of a text, for comparing program output.
inline QByteArray u8(const QString &text)
{
    return text.toUtf8();
}

} // namespace toolstest
