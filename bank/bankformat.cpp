#include "bankformat.h"

#include "faq.h"
#include "linescan.h"

#include <algorithm>

int HeaderLevel(QByteArrayView line)
{
    if (line.size() < 3 || line.size() > 4 || !IsHeaderLike(line))
        return 0;
    const QByteArrayView digits = line.sliced(1, line.size() - 2);
    if (digits[0] == '0')
        return 0;
    int level = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        level = level * 10 + (c - '0');
    }
    return level <= kBankLevels ? level : 0;
}

PlainLineKind KindOfPlainLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }))
        return PlainLineKind::Blank;
    // A "|" makes it a question line or a note whatever brackets it wears: "[1]|…|…" is refused as
    // a question that would scramble into a header, not taken for a header.
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')) && !trimmed.contains(QLatin1Char('|')))
        return PlainLineKind::Header;
    return PlainLineKind::Text;
}

int PlainHeaderLevel(const QString &line)
{
    return HeaderLevel(line.trimmed().toUtf8());
}

bool HasQuestionSeparators(const QString &line)
{
    return line.count(QLatin1Char('|')) == kQuestionSeparators;
}

bool ScramblesToBreak(unsigned char plain)
{
    const auto scrambled = static_cast<unsigned char>(plain ^ kScrambleKey);
    return scrambled == 0 || scrambled == '\n' || scrambled == '\r';
}

int SeparatorCount(QByteArrayView plain)
{
    return static_cast<int>(plain.count('|'));
}

NulCut FindNulCut(QByteArrayView bytes)
{
    NulCut cut;
    cut.offset = bytes.indexOf('\0');
    if (cut.offset < 0)
        return cut;
    const QByteArrayView before = bytes.first(cut.offset);
    LineScanner scan(before.data(), before.data() + before.size());
    LineSpan span;
    while (scan.next(span))
        ++cut.line;
    // The NUL starts a line of its own unless the text before it runs on without a line end.
    if (before.isEmpty() || before.back() == '\n' || before.back() == '\r')
        ++cut.line;
    return cut;
}
