// The teacher's bank tool on any text: a bank that pack accepts is seen by the game and by check
// with the packer's counts and no problem, and unpacking it and packing again gives the same
// bytes. Unpack and check also take the text itself as a bank, whatever it holds.

#include "bankcheck.h"
#include "bankformat.h"
#include "bankpacker.h"
#include "bankunpack.h"
#include "faq.h"
#include "fuzzcheck.h"
#include "plaintext.h"

namespace {

void checkPacked(const PlainText &text, const PackOutcome &packed)
{
    // The notes are the lines before the first header; a line holding "|" is never a header.
    int notes = 0;
    for (const PlainLine &line : text.lines) {
        const PlainLineKind kind = KindOfPlainLine(line.text);
        if (kind == PlainLineKind::Header)
            break;
        if (kind != PlainLineKind::Blank)
            ++notes;
    }
    const FaqText game = FaqText::fromBytes(packed.bank);
    const CheckOutcome checked = CheckBank(packed.bank);
    FUZZ_CHECK(checked.problems.empty());
    FUZZ_CHECK(static_cast<int>(checked.notes.size()) == notes);
    for (int level = 1; level <= kBankLevels; ++level) {
        const auto at = static_cast<size_t>(level);
        FUZZ_CHECK(static_cast<int>(game.section(level).size()) == packed.counts[at]);
        FUZZ_CHECK(checked.usable[at] == packed.counts[at]);
    }
    const UnpackOutcome unpacked = UnpackBank(packed.bank);
    FUZZ_CHECK(unpacked.diagnostics.empty());
    const PackOutcome again = PackBank(DecodePlainText(unpacked.text));
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(again.bank == packed.bank);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const PlainText text = DecodePlainText(bytes);
    const PackOutcome packed = PackBank(text);
    if (!packed.ok())
        FUZZ_CHECK(packed.bank.isEmpty());
    else
        checkPacked(text, packed);
    UnpackBank(bytes);
    CheckBank(bytes);
    return 0;
}
