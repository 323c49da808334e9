// A bank's text and LoadFaq on any bytes: each level's section is what the plain scan of the
// bank rules collects, and LoadFaq serves the line its counter names and advances the counter.

#include "counters.h"
#include "faq.h"
#include "fuzzcheck.h"
#include "randomsource.h"

#include <QFile>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

class FixedRandom final : public RandomSource
{
public:
    explicit FixedRandom(int value) : m_value(value) {}
    int below(int n) override { return n <= 1 ? 0 : m_value % n; }

private:
    int m_value;
};

// The section of level by the rules as written: one pass with an "inside" flag.
std::vector<QByteArrayView> plainSection(const FaqText &faq, int level)
{
    const QByteArray wanted = '[' + QByteArray::number(level) + ']';
    std::vector<QByteArrayView> out;
    bool inside = false;
    for (qsizetype i = 0; i < faq.lineCount(); ++i) {
        const QByteArrayView l = faq.line(i);
        const bool opens = !l.isEmpty() && l.front() == '[';
        const bool closes = !l.isEmpty() && l.back() == ']';
        if (opens && closes) {
            if (inside)
                break;
            inside = l == QByteArrayView(wanted);
        } else if (inside && !opens && !closes) {
            out.push_back(l);
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The counters store of the run lives in a folder of its own, never in the user's.
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int level = in.ConsumeIntegralInRange(1, 15);
    const bool counterStored = in.ConsumeBool();
    const int counter = in.ConsumeIntegralInRange(-3, 40);
    const int chance = in.ConsumeIntegralInRange(0, 1000);
    const QByteArray bytes = fuzz::bytes(in.ConsumeRemainingBytesAsString());

    const FaqText faq = FaqText::fromBytes(bytes);
    for (int l = 1; l <= 15; ++l)
        FUZZ_CHECK(faq.section(l) == plainSection(faq, l));

    const QByteArray name = QByteArray::number(level);
    QFile::remove(CounterStoreLocation());
    if (counterStored)
        FUZZ_CHECK(RegWriteInteger(kCounterSection, name, counter).ok());
    FixedRandom random(chance);
    std::vector<QByteArrayView> faqStr;
    const Result<QByteArray> q = LoadFaq(faq, level, faqStr, random, QStringLiteral("fuzz.faq"));
    const auto count = static_cast<int>(faqStr.size());
    int expected = counterStored && counter >= 0 ? counter : chance % 25;
    if (expected > count - 1)
        expected = 0;
    FUZZ_CHECK(RegReadInteger(kCounterSection, name, -1000).value == expected + 1);
    FUZZ_CHECK(q.ok() == (count > 0));
    if (q.ok())
        FUZZ_CHECK(q.value == ScrambleText(faqStr[static_cast<size_t>(expected)]));
    return 0;
}
