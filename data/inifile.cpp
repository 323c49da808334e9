#include "inifile.h"

#include "cp1251.h"
#include "linescan.h"
#include "lockedfile.h"

#include <limits>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView v)
{
    qsizetype b = 0;
    qsizetype e = v.size();
    while (b < e && isBlank(v[b]))
        ++b;
    while (e > b && isBlank(v[e - 1]))
        --e;
    return v.sliced(b, e - b);
}

// One line of an INI text as the reader and the writer see it.
struct IniLine {
    enum Kind { Other, Section, Key } kind = Other;
    QByteArrayView name;  // section or key name, trimmed
    QByteArrayView value; // value as stored, trimmed (keys only)
    qsizetype valueStart = 0; // offset in the line just after "=" (keys only)
};

IniLine classify(QByteArrayView line)
{
    IniLine out;
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty())
        return out;
    if (t[0] == '[') {
        // The name runs to the last "]", so a lesson code holding "]" still finds its section.
        const qsizetype close = t.lastIndexOf(']');
        out.kind = IniLine::Section;
        out.name = trimmed(close > 0 ? t.sliced(1, close - 1) : t.sliced(1));
        return out;
    }
    if (t[0] == ';')
        return out;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return out;
    out.kind = IniLine::Key;
    out.name = trimmed(line.first(eq));
    out.valueStart = eq + 1;
    out.value = trimmed(line.sliced(eq + 1));
    return out;
}

QByteArray unquoted(QByteArrayView v)
{
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v[v.size() - 1] == v[0])
        v = v.sliced(1, v.size() - 2);
    if (v.size() > kIniValueLimit)
        v = v.first(kIniValueLimit);
    return v.toByteArray();
}

bool holdsLineBreak(QByteArrayView v)
{
    return v.contains('\r') || v.contains('\n') || v.contains('\0');
}

// Where a write has to go: the line of the key, or the end of the section, or nothing found.
struct WritePlace {
    bool sectionFound = false;
    qsizetype keyValueStart = -1; // offset of the value's first byte in the file
    qsizetype keyValueEnd = -1;   // offset of the line end after the value
    qsizetype insertAt = -1;      // where a new key line goes: after the section's last non-blank line
    bool insertNeedsBreak = false; // that line had no line end (it was the file's last)
};

WritePlace locate(const QByteArray &text, QByteArrayView section, QByteArrayView key)
{
    WritePlace place;
    LineScanner scan(text.constData(), text.constData() + text.size());
    LineSpan span;
    bool inside = false;
    while (scan.next(span)) {
        const QByteArrayView line(span.begin, span.length);
        const IniLine l = classify(line);
        const qsizetype lineStart = span.begin - text.constData();
        if (l.kind == IniLine::Section) {
            if (inside)
                break;
            if (!place.sectionFound && cp1251::equalsNoCase(l.name, section)) {
                inside = true;
                place.sectionFound = true;
                place.insertAt = lineStart + span.length + span.terminator;
                place.insertNeedsBreak = span.terminator == 0;
            }
            continue;
        }
        if (!inside)
            continue;
        if (l.kind == IniLine::Key && cp1251::equalsNoCase(l.name, key)) {
            place.keyValueStart = lineStart + l.valueStart;
            place.keyValueEnd = lineStart + span.length;
            return place;
        }
        if (!trimmed(line).isEmpty()) {
            place.insertAt = lineStart + span.length + span.terminator;
            place.insertNeedsBreak = span.terminator == 0;
        }
    }
    return place;
}

} // namespace

std::optional<QByteArray> IniFindValue(const QByteArray &text, QByteArrayView section, QByteArrayView key)
{
    LineScanner scan(text.constData(), text.constData() + text.size());
    LineSpan span;
    bool inside = false;
    while (scan.next(span)) {
        const QByteArrayView line(span.begin, span.length);
        // Most lines of a results file are keys of other sections: skip them cheaply.
        const char *p = span.begin;
        const char *e = span.begin + span.length;
        while (p < e && isBlank(*p))
            ++p;
        if (p == e)
            continue;
        if (*p != '[' && !inside)
            continue;
        const IniLine l = classify(line);
        if (l.kind == IniLine::Section) {
            if (inside)
                return std::nullopt;
            inside = cp1251::equalsNoCase(l.name, section);
        } else if (l.kind == IniLine::Key && cp1251::equalsNoCase(l.name, key)) {
            return unquoted(l.value);
        }
    }
    return std::nullopt;
}

Result<std::optional<QByteArray>> IniRead(const QString &path, QByteArrayView section, QByteArrayView key)
{
    using R = Result<std::optional<QByteArray>>;
    const auto file = ReadWholeFile(path);
    if (!file.ok())
        return R::failure(file.error);
    if (!file.value)
        return R::success(std::nullopt);
    return R::success(IniFindValue(*file.value, section, key));
}

QByteArray IniReadString(const QString &path, QByteArrayView section, QByteArrayView key,
                         const QByteArray &defaultValue)
{
    const auto r = IniRead(path, section, key);
    if (!r.ok() || !r.value)
        return defaultValue;
    return *r.value;
}

std::optional<int> ParseIniInteger(QByteArrayView text, bool allowHexPrefix0x)
{
    QByteArrayView t = trimmed(text);
    bool negative = false;
    if (!t.isEmpty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t = t.sliced(1);
    }
    int base = 10;
    if (t.startsWith('$')) {
        base = 16;
        t = t.sliced(1);
    } else if (allowHexPrefix0x && (t.startsWith("0x") || t.startsWith("0X"))) {
        base = 16;
        t = t.sliced(2);
    }
    if (t.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (char c : t) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFLL)
            return std::nullopt;
    }
    if (base == 16) {
        // Hexadecimal text names the 32 bits themselves: $FFFFFFFF is -1.
        auto bits = static_cast<qint32>(static_cast<quint32>(value));
        return negative ? -bits : bits;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

int IniReadInteger(const QString &path, QByteArrayView section, QByteArrayView key, int defaultValue)
{
    const auto r = IniRead(path, section, key);
    if (!r.ok() || !r.value)
        return defaultValue;
    return ParseIniInteger(*r.value).value_or(defaultValue);
}

Status IniWriteString(const QString &path, QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const QString failure = QStringLiteral("Unable to write to %1").arg(path);
    // A value is stored as text up to its first NUL; a line break inside a name or a value
    // would split the line and could forge other entries, so such a write is refused.
    const qsizetype nul = value.indexOf('\0');
    if (nul >= 0)
        value = value.first(nul);
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value) || key.contains('=')
        || trimmed(key).isEmpty())
        return Status::failure(failure + QStringLiteral(": the name or the value holds a line break"));

    const Status s = ReplaceFileLocked(path, [&](const std::optional<QByteArray> &current)
                                                 -> Result<std::optional<QByteArray>> {
        const QByteArray text = current.value_or(QByteArray());
        const WritePlace place = locate(text, section, key);
        QByteArray out;
        out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
        if (place.keyValueStart >= 0) {
            out.append(text.constData(), place.keyValueStart);
            out.append(value);
            out.append(text.constData() + place.keyValueEnd, text.size() - place.keyValueEnd);
        } else if (place.sectionFound) {
            out.append(text.constData(), place.insertAt);
            if (place.insertNeedsBreak)
                out.append("\r\n");
            out.append(key).append('=').append(value).append("\r\n");
            out.append(text.constData() + place.insertAt, text.size() - place.insertAt);
        } else {
            out = text;
            if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
                out.append("\r\n");
            out.append('[').append(section).append("]\r\n");
            out.append(key).append('=').append(value).append("\r\n");
        }
        return Result<std::optional<QByteArray>>::success(std::move(out));
    });
    if (!s.ok())
        return Status::failure(failure);
    return s;
}
