#include "bankformat.h"

#include "faq.h"
#include "linescan.h"

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

bool IsHeaderLike(QByteArrayView line)
{
    return !line.isEmpty() && line.front() == '[' && line.back() == ']';
}

bool IsSkippedLine(QByteArrayView line)
{
    return !line.isEmpty() && (line.front() == '[' || line.back() == ']');
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
