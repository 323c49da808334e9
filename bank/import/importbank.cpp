#include "importbank.h"

#include "bankcheck.h"
#include "bankfile.h"
#include "bankunpack.h"
#include "questionrules.h"

namespace {

int levelOf(const ImportedQuestion &q, int defaultLevel)
{
    return q.level > 0 ? q.level : defaultLevel;
}

// A bank's plain text taken apart: the notes, and the question lines under each header.
struct BankLines {
    QStringList notes;
    std::array<QStringList, kBankLevels + 1> levels;
    std::array<bool, kBankLevels + 1> headed{};
};

// The lines of an unpacked bank that CheckBank found whole: every header names a level once.
BankLines splitUnpacked(const QByteArray &utf8)
{
    BankLines out;
    int level = -1;
    for (const PlainLine &line : DecodeUtf8Lines(utf8).lines) {
        const int header = KindOfPlainLine(line.text) == PlainLineKind::Header ? PlainHeaderLevel(line.text) : -1;
        if (header > 0) {
            level = header;
            out.headed[static_cast<size_t>(level)] = true;
        } else if (level < 0) {
            out.notes.append(line.text);
        } else {
            out.levels[static_cast<size_t>(level)].append(line.text);
        }
    }
    return out;
}

// The lines in the order of the levels: a bank whose sections stood in another order serves the
// same questions, since the game finds each section by its header.
PlainText joinLevels(const BankLines &bank)
{
    PlainText text;
    int number = 0;
    for (const QString &note : bank.notes)
        text.lines.append({++number, note});
    for (int level = 1; level <= kBankLevels; ++level) {
        const auto at = static_cast<size_t>(level);
        if (!bank.headed[at] && bank.levels[at].isEmpty())
            continue;
        text.lines.append({++number, QStringLiteral("[%1]").arg(level)});
        for (const QString &line : bank.levels[at])
            text.lines.append({++number, line});
    }
    return text;
}

void damaged(AppendOutcome &out, const QString &text)
{
    out.damage.push_back({Diagnostic::Severity::Note, 0, text});
}

} // namespace

PackOutcome PackImported(const ImportOutcome &imported, int defaultLevel)
{
    BankLines bank;
    bank.notes = imported.notes;
    for (const ImportedQuestion &q : imported.taken)
        bank.levels[static_cast<size_t>(levelOf(q, defaultLevel))].append(QuestionLine(q.fields));
    return PackBank(joinLevels(bank));
}

QByteArray ImportedPlainText(const ImportOutcome &imported, int defaultLevel)
{
    EditorBank bank;
    bank.notes = imported.notes;
    for (const ImportedQuestion &q : imported.taken)
        bank.levels[static_cast<size_t>(levelOf(q, defaultLevel))].append(q.fields);
    return BankText(bank).toUtf8();
}

AppendOutcome AppendImported(const QByteArray &bank, const ImportOutcome &imported, int defaultLevel)
{
    AppendOutcome out;
    const CheckOutcome checked = CheckBank(bank);
    const UnpackOutcome unpacked = UnpackBank(bank);
    out.damage = checked.problems;
    if (out.damage.empty())
        out.damage = unpacked.diagnostics;
    if (!out.damage.empty())
        return out;
    BankLines lines = splitUnpacked(unpacked.text);
    for (const ImportedQuestion &q : imported.taken) {
        const auto at = static_cast<size_t>(levelOf(q, defaultLevel));
        lines.levels[at].append(QuestionLine(q.fields));
        ++out.added[at];
    }
    out.packed = PackBank(joinLevels(lines));
    // Whatever the packer would not take back is the bank's own: it is named, and nothing written.
    for (const Diagnostic &d : out.packed.diagnostics) {
        if (d.severity == Diagnostic::Severity::Error)
            damaged(out, d.text);
    }
    for (int level = 1; level <= kBankLevels && out.damage.empty(); ++level) {
        const auto at = static_cast<size_t>(level);
        if (out.packed.counts[at] != checked.usable[at] + out.added[at])
            damaged(out, QStringLiteral("в уровне %1 записанных вопросов было бы меньше, чем в вопроснике и в "
                                        "файле вместе").arg(level));
    }
    if (!out.damage.empty())
        out.packed = PackOutcome{};
    return out;
}

QString ImportFormatName(ImportFormat format)
{
    switch (format) {
    case ImportFormat::Gift: return QStringLiteral("GIFT");
    case ImportFormat::Aiken: return QStringLiteral("Aiken");
    case ImportFormat::Csv: return QStringLiteral("CSV");
    case ImportFormat::MoodleXml: return QStringLiteral("Moodle XML");
    case ImportFormat::Auto: break;
    }
    return QStringLiteral("не распознан");
}
