#include "cmdline.h"

#include "console.h"

#include <QRegularExpression>

ToolCommandLine::ToolCommandLine(QString tool, QString usage) : m_tool(std::move(tool)), m_usage(std::move(usage))
{
    // Our own help and version options: Qt's built-in ones print English.
    parser.addOption(m_help);
    parser.addOption(m_version);
}

std::optional<int> ToolCommandLine::read(const QStringList &arguments)
{
    if (!parser.parse(arguments)) {
        QStringList unknown;
        for (const QString &name : parser.unknownOptionNames())
            unknown.append((name.size() == 1 ? QStringLiteral("«-") : QStringLiteral("«--")) + name + QStringLiteral("»"));
        if (!unknown.isEmpty())
            return usageError(QStringLiteral("неизвестный параметр %1").arg(unknown.join(QStringLiteral(", "))));
        // Otherwise a value is missing or one is given to a switch: Qt says which in English and
        // names the option in quotes.
        static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
        const QString name = quoted.match(parser.errorText()).captured(1);
        if (parser.errorText().startsWith(QLatin1String("Missing value")))
            return usageError(QStringLiteral("после «%1» нет значения").arg(name));
        return usageError(QStringLiteral("у «%1» не бывает значения").arg(name));
    }
    if (parser.isSet(m_help)) {
        PrintOut(m_usage);
        return 0;
    }
    if (parser.isSet(m_version)) {
        PrintOut(QStringLiteral("%1 %2\n").arg(m_tool, QStringLiteral(TALLORY_VERSION)));
        return 0;
    }
    return std::nullopt;
}

int ToolCommandLine::usageError(const QString &why) const
{
    PrintError(m_tool + QStringLiteral(": ") + why + QStringLiteral("\n\n") + m_usage);
    return kUsageStatus;
}
