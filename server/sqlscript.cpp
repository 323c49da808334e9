#include "sqlscript.h"

#include <QRegularExpression>

namespace {

// Where the quote or comment that starts at `from` ends (one past its last character), or the
// script's end when it never does. Returns `from` when nothing starts there.
qsizetype skipQuoted(const QString &s, qsizetype from)
{
    const QChar c = s[from];
    const auto endAfter = [&](const QString &close, qsizetype start) {
        const qsizetype at = s.indexOf(close, start);
        return at < 0 ? s.size() : at + close.size();
    };
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
        // A doubled quote inside is the quote itself: the scan simply goes on past it.
        return endAfter(QString(c), from + 1);
    }
    if (s.mid(from, 2) == QLatin1String("--"))
        return endAfter(QStringLiteral("\n"), from);
    if (s.mid(from, 2) == QLatin1String("/*"))
        return endAfter(QStringLiteral("*/"), from + 2);
    if (c == QLatin1Char('$')) {
        static const QRegularExpression tag(QStringLiteral("\\$[A-Za-z_]*\\$"));
        const QRegularExpressionMatch m = tag.match(s, from, QRegularExpression::NormalMatch,
                                                    QRegularExpression::AnchorAtOffsetMatchOption);
        if (m.hasMatch())
            return endAfter(m.captured(), from + m.capturedLength());
    }
    return from;
}

bool isComment(const QString &s, qsizetype at)
{
    return s.mid(at, 2) == QLatin1String("--") || s.mid(at, 2) == QLatin1String("/*");
}

} // namespace

QStringList SplitSqlScript(const QString &script)
{
    QStringList statements;
    QString current;
    qsizetype i = 0;
    while (i < script.size()) {
        if (script[i] == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
            ++i;
            continue;
        }
        const qsizetype end = skipQuoted(script, i);
        if (end > i) {
            if (!isComment(script, i))
                current += script.mid(i, end - i);
            else
                current += QLatin1Char(' ');
            i = end;
        } else {
            current += script[i++];
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}
