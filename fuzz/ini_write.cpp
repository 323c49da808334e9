// The INI writer on any file and any names: a write it accepts is read back as the reading rules
// give back the value written, and every other line of the file stays as it was; a write it
// refuses leaves the file alone and is refused for a stated reason only.

#include "cp1251.h"
#include "fuzzcheck.h"
#include "inifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString filePath()
{
    static QTemporaryDir dir; // one folder for the whole run, removed at its end
    return dir.filePath(QStringLiteral("fuzz.ini"));
}

QByteArrayView trimmedBy(QByteArrayView v, QByteArrayView blanks)
{
    while (!v.isEmpty() && blanks.contains(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && blanks.contains(v.back()))
        v.chop(1);
    return v;
}

bool breaksLine(QByteArrayView v)
{
    return v.contains('\r') || v.contains('\n') || v.contains('\0');
}

// The stated reasons for refusing a write, written out afresh from the rules.
bool mustRefuse(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    if (breaksLine(section) || breaksLine(key) || breaksLine(value))
        return true;
    const QByteArrayView s = trimmedBy(section, " ");
    const QByteArrayView k = trimmedBy(key, " ");
    if (trimmedBy(s, " \t") != s || trimmedBy(k, " \t") != k)
        return true; // a tab at an end, which a read would trim
    return k.isEmpty() || k.contains('=') || k.front() == '[' || k.front() == ';';
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The lines before and after differ by one key line replaced, or by a key line (and the
// section's header) added: nothing else.
void checkOtherLinesKept(const QByteArray &before, const QByteArray &after, QByteArrayView section, QByteArrayView key)
{
    const std::vector<QByteArrayView> a = fuzz::lines(before);
    const std::vector<QByteArrayView> b = fuzz::lines(after);
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const size_t removed = a.size() - head - tail;
    const size_t added = b.size() - head - tail;
    FUZZ_CHECK(removed <= 1 && added <= 2 && (removed == 0 || added == 1));
    if (removed == 1) {
        const IniLine old = ClassifyIniLine(a[head]);
        FUZZ_CHECK(old.kind == IniLine::Key && cp1251::equalsNoCase(old.name, key));
    }
    for (size_t i = head; i < head + added; ++i) {
        const IniLine l = ClassifyIniLine(b[i]);
        FUZZ_CHECK((l.kind == IniLine::Key && cp1251::equalsNoCase(l.name, key))
                   || (l.kind == IniLine::Section && cp1251::equalsNoCase(l.name, section)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QByteArray section = fuzz::bytes(in.ConsumeRandomLengthString(32));
    const QByteArray key = fuzz::bytes(in.ConsumeRandomLengthString(32));
    const QByteArray value = fuzz::bytes(in.ConsumeRandomLengthString(3000));
    const QByteArray before = fuzz::bytes(in.ConsumeRemainingBytesAsString());

    const QString path = filePath();
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(before) == before.size());
    }
    const QByteArray stored = value.left(value.indexOf('\0') < 0 ? value.size() : value.indexOf('\0'));
    const Status written = IniWriteString(path, section, key, value);
    const QByteArray after = readFile(path);
    FUZZ_CHECK(written.ok() != mustRefuse(section, key, stored));
    if (!written.ok()) {
        FUZZ_CHECK(after == before);
        return 0;
    }
    const QByteArrayView s = trimmedBy(section, " ");
    const QByteArrayView k = trimmedBy(key, " ");
    FUZZ_CHECK(IniFindValue(after, section, key) == IniValueText(trimmedBy(stored, " \t")));
    FUZZ_CHECK(IniReadString(path, s, k, "\x01") == IniValueText(trimmedBy(stored, " \t")));
    checkOtherLinesKept(before, after, s, k);
    return 0;
}
