// The results lister on any file: every record it calls intact is the one the game's attempt
// guard finds under its lesson and key, and the table and CSV are made without fault.

#include "faq.h"
#include "fuzzcheck.h"
#include "inifile.h"
#include "results.h"
#include "resultslist.h"
#include "resultstable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::vector<ResultEntry> entries = ReadResultEntries(text);
    const auto lineCount = static_cast<int>(fuzz::lines(text).size());
    int previous = 0;
    for (const ResultEntry &e : entries) {
        FUZZ_CHECK(e.line > previous && e.line <= lineCount);
        previous = e.line;
        if (e.state != ResultEntry::State::Intact)
            continue;
        FUZZ_CHECK(checks(e.name) == e.key);
        FUZZ_CHECK(e.levels >= 0 && e.levels <= 15 && e.grade == GradeWord(e.levels + 1));
        const std::optional<QByteArray> stored = IniFindValue(text, e.lesson, e.key);
        FUZZ_CHECK(stored && ScrambleText(*stored) == ResultRecord(e.name, e.levels + 1));
    }
    FUZZ_CHECK(!FormatResultsTable(entries).isEmpty());
    FUZZ_CHECK(FormatResultsCsv(entries).startsWith("\xEF\xBB\xBF"));
    return 0;
}
