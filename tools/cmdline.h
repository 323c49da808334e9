#pragma once
// The tools' command lines, read by QCommandLineParser: options in any order among the
// arguments, and help, version and every complaint in Russian.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

/// The exit status of a command line that cannot be read.
inline constexpr int kUsageStatus = 2;

class ToolCommandLine
{
public:
    /// usage: the tool's Russian help text, printed by --help and after every complaint.
    ToolCommandLine(QString tool, QString usage);

    QCommandLineParser parser;

    /// Reads the arguments (the program's name first). The exit status when the tool has nothing
    /// more to do: 0 after printing the help or the version, kUsageStatus after a complaint.
    std::optional<int> read(const QStringList &arguments);

    /// Prints "tool: why", the help, and gives kUsageStatus.
    int usageError(const QString &why) const;

private:
    QString m_tool;
    QString m_usage;
    QCommandLineOption m_help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption m_version{{QStringLiteral("v"), QStringLiteral("version")}};
};
