#include "inifile.h"

#include "cp1251.h"
#include "linescan.h"
#include "lockedfile.h"

#include <algorithm>
#include <cstring>
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

// The start of the first line at or after from (itself a line start) whose first non-blank
// byte is "[", or end. Outside the section sought only headers matter, and one memchr over the
// text finds them many times faster than going line by line through every record.
const char *nextHeaderLine(const char *from, const char *begin, const char *end)
{
    const char *p = from;
    while (p < end) {
        p = static_cast<const char *>(std::memchr(p, '[', static_cast<size_t>(end - p)));
        if (!p)
            return end;
        const char *start = p;
        while (start > begin && isBlank(start[-1]))
            --start;
        if (start == begin || start[-1] == '\r' || start[-1] == '\n')
            return start;
        ++p; // a "[" inside a line, such as a scrambled record
    }
    return end;
}


// Section and key names asked for lose their blanks at both ends, as with the Windows INI
// service, so a lesson code typed with a blank after it still finds its section. Tabs stay.
QByteArrayView withoutBlanks(QByteArrayView v)
{
    while (!v.isEmpty() && v.front() == ' ')
        v = v.sliced(1);
    while (!v.isEmpty() && v.back() == ' ')
        v.chop(1);
    return v;
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

// The first section named section: its header line, and a scanner standing just after it.
// Only headers are looked at on the way, one memchr at a time.
struct FoundSection {
    LineSpan header;
    LineScanner rest;
};

// Calls visit(name, header line, scanner after it) for each header line of text in turn, until
// visit returns true; the section found so, or nothing.
template <class Visit>
std::optional<FoundSection> eachSection(const QByteArray &text, Visit visit)
{
    const char *begin = text.constData();
    const char *end = begin + text.size();
    for (const char *pos = nextHeaderLine(begin, begin, end); pos < end; pos = nextHeaderLine(pos, begin, end)) {
        LineScanner scan(pos, end);
        LineSpan header;
        scan.next(header);
        pos = scan.position();
        if (visit(ClassifyIniLine(QByteArrayView(header.begin, header.length)).name))
            return FoundSection{header, scan};
    }
    return std::nullopt;
}

std::optional<FoundSection> firstSection(const QByteArray &text, QByteArrayView section)
{
    return eachSection(text, [&](QByteArrayView name) { return cp1251::equalsNoCase(name, section); });
}

WritePlace locate(const QByteArray &text, QByteArrayView section, QByteArrayView key)
{
    WritePlace place;
    std::optional<FoundSection> found = firstSection(text, section);
    if (!found)
        return place;
    const char *begin = text.constData();
    place.sectionFound = true;
    place.insertAt = found->rest.position() - begin;
    place.insertNeedsBreak = found->header.terminator == 0;
    LineSpan span;
    while (found->rest.next(span)) {
        const QByteArrayView line(span.begin, span.length);
        const IniLine l = ClassifyIniLine(line);
        const qsizetype lineStart = span.begin - begin;
        if (l.kind == IniLine::Section)
            break;
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

IniLine ClassifyIniLine(QByteArrayView line)
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
    if (t[0] == ';') {
        out.kind = IniLine::Comment;
        return out;
    }
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) {
        out.kind = IniLine::Other;
        out.name = t;
        return out;
    }
    out.kind = IniLine::Key;
    out.name = trimmed(line.first(eq));
    out.valueStart = eq + 1;
    out.value = trimmed(line.sliced(eq + 1));
    return out;
}

QByteArray IniValueText(QByteArrayView value)
{
    QByteArrayView v = value;
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v[v.size() - 1] == v[0])
        v = v.sliced(1, v.size() - 2);
    if (v.size() > kIniValueLimit)
        v = v.first(kIniValueLimit);
    return v.toByteArray();
}

std::optional<QByteArray> IniFindValue(const QByteArray &text, QByteArrayView section, QByteArrayView key)
{
    section = withoutBlanks(section);
    key = withoutBlanks(key);
    std::optional<FoundSection> found = firstSection(text, section);
    if (!found)
        return std::nullopt;
    // Only the first section of that name counts: the search ends at the next header.
    LineSpan span;
    while (found->rest.next(span)) {
        const IniLine l = ClassifyIniLine(QByteArrayView(span.begin, span.length));
        if (l.kind == IniLine::Section)
            return std::nullopt;
        if (l.kind == IniLine::Key && cp1251::equalsNoCase(l.name, key))
            return IniValueText(l.value);
    }
    return std::nullopt;
}

QList<QByteArray> IniSectionNames(const QByteArray &text)
{
    QList<QByteArray> names;
    eachSection(text, [&](QByteArrayView name) {
        const auto same = [&](const QByteArray &known) { return cp1251::equalsNoCase(known, name); };
        if (std::none_of(names.cbegin(), names.cend(), same))
            names.append(name.toByteArray());
        return false;
    });
    return names;
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
        // Hexadecimal text names the 32 bits themselves: $FFFFFFFF is -1. A minus sign negates
        // those bits modulo 2^32, as the Windows INI service does, so -$80000000 stays the
        // smallest integer instead of overflowing.
        const auto bits = static_cast<quint32>(value);
        return static_cast<qint32>(negative ? 0u - bits : bits);
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

namespace {

// Why a write could not be read back as it was asked for, or an empty text when it can. A line
// break would split the line and could forge other entries; a key that reads as a header or a
// comment ("[", ";"), or a name whose ends a read would trim differently (a tab), would be
// written where no read ever finds it again.
QString unreadableWrite(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        return QStringLiteral("the name or the value holds a line break");
    const QByteArray header = '[' + section.toByteArray() + ']';
    const IniLine sectionLine = ClassifyIniLine(header);
    if (sectionLine.kind != IniLine::Section || sectionLine.name != section)
        return QStringLiteral("the section name cannot be read back");
    const QByteArray keyLine = key.toByteArray() + '=';
    const IniLine keyRead = ClassifyIniLine(keyLine);
    if (key.isEmpty() || key.contains('=') || keyRead.kind != IniLine::Key || keyRead.name != key)
        return QStringLiteral("the key name cannot be read back");
    return {};
}

} // namespace

Result<QByteArray> IniSetValue(const QByteArray &text, QByteArrayView section, QByteArrayView key,
                               QByteArrayView value)
{
    section = withoutBlanks(section);
    key = withoutBlanks(key);
    // A value is stored as text up to its first NUL.
    const qsizetype nul = value.indexOf('\0');
    if (nul >= 0)
        value = value.first(nul);
    const QString refused = unreadableWrite(section, key, value);
    if (!refused.isEmpty())
        return Result<QByteArray>::failure(refused);
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
    return Result<QByteArray>::success(std::move(out));
}

Status IniWriteString(const QString &path, QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const QString failure = QStringLiteral("Unable to write to %1").arg(path);
    // Refused before the file is locked: a write that could not be read back changes nothing.
    const auto probe = IniSetValue(QByteArray(), section, key, value);
    if (!probe.ok())
        return Status::failure(failure + QStringLiteral(": ") + probe.error);

    const Status s = ReplaceFileLocked(path, [&](const std::optional<QByteArray> &current)
                                                 -> Result<std::optional<QByteArray>> {
        auto out = IniSetValue(current.value_or(QByteArray()), section, key, value);
        return Result<std::optional<QByteArray>>::success(std::move(out.value));
    });
    if (!s.ok())
        return Status::failure(failure);
    return s;
}

namespace {

// Where the first section of that name lies: from its header line to the next header line.
struct SectionSpan {
    qsizetype start = -1;
    qsizetype headerLength = 0; // the header line without its line end
    qsizetype end = -1;
};

SectionSpan sectionSpan(const QByteArray &text, QByteArrayView section)
{
    SectionSpan span;
    std::optional<FoundSection> found = firstSection(text, section);
    if (!found)
        return span;
    span.start = found->header.begin - text.constData();
    span.headerLength = found->header.length;
    span.end = text.size();
    LineSpan line;
    while (found->rest.next(line)) {
        if (ClassifyIniLine(QByteArrayView(line.begin, line.length)).kind == IniLine::Section) {
            span.end = line.begin - text.constData();
            break;
        }
    }
    return span;
}

} // namespace

Status IniDeleteSection(const QString &path, QByteArrayView section)
{
    section = withoutBlanks(section);
    const Status s = ReplaceFileLocked(path, [&](const std::optional<QByteArray> &current)
                                                 -> Result<std::optional<QByteArray>> {
        QByteArray text = current.value_or(QByteArray());
        bool changed = false;
        for (SectionSpan span = sectionSpan(text, section); span.start >= 0; span = sectionSpan(text, section)) {
            text.remove(span.start, span.end - span.start);
            changed = true;
        }
        if (!changed)
            return Result<std::optional<QByteArray>>::success(std::nullopt);
        return Result<std::optional<QByteArray>>::success(std::move(text));
    });
    if (!s.ok())
        return Status::failure(QStringLiteral("Unable to write to %1").arg(path));
    return s;
}

Status IniRenameSection(const QString &path, QByteArrayView section, QByteArrayView newName)
{
    section = withoutBlanks(section);
    newName = withoutBlanks(newName);
    const QString refused = unreadableWrite(newName, "key", "");
    if (!refused.isEmpty())
        return Status::failure(QStringLiteral("Unable to write to %1: %2").arg(path, refused));
    QString why;
    const Status s = ReplaceFileLocked(path, [&](const std::optional<QByteArray> &current)
                                                 -> Result<std::optional<QByteArray>> {
        using R = Result<std::optional<QByteArray>>;
        QByteArray text = current.value_or(QByteArray());
        const SectionSpan span = sectionSpan(text, section);
        if (span.start < 0)
            why = QStringLiteral("no section %1").arg(cp1251::decode(section));
        else if (!cp1251::equalsNoCase(section, newName) && firstSection(text, newName))
            why = QStringLiteral("a section %1 exists already").arg(cp1251::decode(newName));
        if (!why.isEmpty())
            return R::failure(why);
        text.replace(span.start, span.headerLength, '[' + newName.toByteArray() + ']');
        return R::success(std::move(text));
    });
    if (!s.ok())
        return Status::failure(QStringLiteral("Unable to write to %1: %2").arg(path, why.isEmpty() ? s.error : why));
    return s;
}
