// The INI reader on any text and any names: it finds what a plain line-by-line reading of the
// rules finds, never returns more than 2047 characters, and integers parse back to themselves.

#include "cp1251.h"
#include "fuzzcheck.h"
#include "inifile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <optional>

namespace {

QByteArrayView withoutBlanks(QByteArrayView v)
{
    while (!v.isEmpty() && v.front() == ' ')
        v = v.sliced(1);
    while (!v.isEmpty() && v.back() == ' ')
        v.chop(1);
    return v;
}

// The rules read one line at a time, without the reader's skipping from header to header.
std::optional<QByteArray> plainLookup(const QByteArray &text, QByteArrayView section, QByteArrayView key)
{
    section = withoutBlanks(section);
    key = withoutBlanks(key);
    bool inside = false;
    for (QByteArrayView line : fuzz::lines(text)) {
        const IniLine l = ClassifyIniLine(line);
        if (l.kind == IniLine::Section) {
            if (inside)
                return std::nullopt;
            inside = cp1251::equalsNoCase(l.name, section);
        } else if (inside && l.kind == IniLine::Key && cp1251::equalsNoCase(l.name, key)) {
            return IniValueText(l.value);
        }
    }
    return std::nullopt;
}

void checkInteger(QByteArrayView text)
{
    for (bool allow0x : {true, false}) {
        const std::optional<int> n = ParseIniInteger(text, allow0x);
        if (n)
            FUZZ_CHECK(ParseIniInteger(QByteArray::number(*n), allow0x) == n);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QByteArray section = fuzz::bytes(in.ConsumeRandomLengthString(64));
    const QByteArray key = fuzz::bytes(in.ConsumeRandomLengthString(64));
    const QByteArray text = fuzz::bytes(in.ConsumeRemainingBytesAsString());

    const std::optional<QByteArray> value = IniFindValue(text, section, key);
    FUZZ_CHECK(value == plainLookup(text, section, key));
    if (value) {
        FUZZ_CHECK(value->size() <= kIniValueLimit);
        checkInteger(*value);
    }
    checkInteger(key);
    for (QByteArrayView line : fuzz::lines(text)) {
        const IniLine l = ClassifyIniLine(line);
        FUZZ_CHECK(l.name.size() <= line.size() && l.value.size() <= line.size());
        FUZZ_CHECK(l.valueStart >= 0 && l.valueStart <= line.size());
    }
    return 0;
}
