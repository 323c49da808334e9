#include "diagnostic.h"

#include <QList>

#include <algorithm>
#include <climits>

QString FormatDiagnostic(const QString &file, const Diagnostic &d)
{
    QString out = file;
    if (d.line > 0)
        out += QLatin1Char(':') + QString::number(d.line);
    out += QStringLiteral(": ");
    if (d.severity == Diagnostic::Severity::Error)
        out += QStringLiteral("ошибка: ");
    else if (d.severity == Diagnostic::Severity::Warning)
        out += QStringLiteral("предупреждение: ");
    return out + d.text;
}

QString FormatDiagnostics(const QString &file, Diagnostics list)
{
    std::stable_sort(list.begin(), list.end(),
                     [](const Diagnostic &a, const Diagnostic &b) {
                         // Messages about the whole file come after those about its lines.
                         const auto key = [](int line) { return line > 0 ? line : INT_MAX; };
                         return key(a.line) < key(b.line);
                     });
    QString out;
    for (const Diagnostic &d : list)
        out += FormatDiagnostic(file, d) + QLatin1Char('\n');
    return out;
}

bool HasErrors(const Diagnostics &list)
{
    return std::any_of(list.begin(), list.end(),
                       [](const Diagnostic &d) { return d.severity == Diagnostic::Severity::Error; });
}

QString RussianCount(int n, const QString &one, const QString &few, const QString &many)
{
    const int tens = n % 100;
    const int units = n % 10;
    const QString &noun = (tens >= 11 && tens <= 14) ? many
                          : units == 1              ? one
                          : (units >= 2 && units <= 4) ? few
                                                       : many;
    return QString::number(n) + QLatin1Char(' ') + noun;
}

