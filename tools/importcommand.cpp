#include "importcommand.h"

#include "diagnostic.h"
#include "importbank.h"
#include "toolio.h"

#include <algorithm>

namespace {

QString questions(int n)
{
    return RussianCount(n, QStringLiteral("вопрос"), QStringLiteral("вопроса"), QStringLiteral("вопросов"));
}

// Each question left out, as the compilers list their warnings: "file:line: предупреждение: …".
QString rejections(const QString &source, const ImportOutcome &imported)
{
    Diagnostics list;
    for (const ImportRejection &r : imported.rejected)
        list.push_back({Diagnostic::Severity::Warning, r.line,
                        QStringLiteral("вопрос «%1» не взят: %2").arg(r.text, r.reason)});
    return FormatDiagnostics(source, list);
}

QString report(const QString &source, const QString &bankPath, const ImportOutcome &imported,
               const PackOutcome &packed, int defaultLevel)
{
    QString text = QStringLiteral("Вопросник «%1» записан: %2 из «%3» (%4)")
                       .arg(bankPath, questions(packed.total()), source, ImportFormatName(imported.format));
    text += imported.rejected.isEmpty() ? QStringLiteral(".\n")
                                        : QStringLiteral(", не взято: %1.\n").arg(imported.rejected.size());
    for (int level = 1; level <= kBankLevels; ++level)
        text += QStringLiteral("Уровень %1: %2\n").arg(level, 2).arg(questions(packed.counts[static_cast<size_t>(level)]));
    const auto unlevelled = std::count_if(imported.taken.cbegin(), imported.taken.cend(),
                                          [](const ImportedQuestion &q) { return q.level == 0; });
    if (unlevelled > 0)
        text += QStringLiteral("Без своего уровня: %1, помещены в уровень %2 (другой уровень задаёт --level N).\n")
                    .arg(questions(static_cast<int>(unlevelled)))
                    .arg(defaultLevel);
    if (!imported.notes.isEmpty())
        text += QStringLiteral("Перед уровнями сохранены заметки: %1.\n").arg(imported.notes.join(QStringLiteral(" / ")));
    return text;
}

} // namespace

int ImportCommand(const QString &source, const QString &bankPath, int defaultLevel, ImportFormat format)
{
    const auto input = ReadInputFile(source);
    if (!input.ok()) {
        PrintError(input.error + QLatin1Char('\n'));
        return 1;
    }
    const ImportOutcome imported = ImportQuestions(input.value, format);
    PrintError(rejections(source, imported));
    if (imported.taken.isEmpty()) {
        PrintError(QStringLiteral("Вопросник «%1» не записан: в «%2» нет ни одного вопроса, который можно взять (формат %3).\n")
                       .arg(bankPath, source, ImportFormatName(imported.format)));
        return 1;
    }
    const PackOutcome packed = PackImported(imported, defaultLevel);
    if (!packed.ok()) { // every question passed the packer's own rules, so this is not expected
        PrintError(FormatDiagnostics(bankPath, packed.diagnostics));
        return 1;
    }
    const Status written = WriteOutputFile(bankPath, packed.bank);
    if (!written.ok()) {
        PrintError(written.error + QLatin1Char('\n'));
        return 1;
    }
    PrintOut(report(source, bankPath, imported, packed, defaultLevel));
    return 0;
}
