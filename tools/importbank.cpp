#include "importbank.h"

#include "questionrules.h"

PackOutcome PackImported(const ImportOutcome &imported, int defaultLevel)
{
    PlainText text;
    int number = 0;
    for (const QString &note : imported.notes)
        text.lines.append({++number, note});
    for (int level = 1; level <= kBankLevels; ++level) {
        bool headed = false;
        for (const ImportedQuestion &q : imported.taken) {
            if ((q.level > 0 ? q.level : defaultLevel) != level)
                continue;
            if (!headed)
                text.lines.append({++number, QStringLiteral("[%1]").arg(level)});
            headed = true;
            text.lines.append({++number, QuestionLine(q.fields)});
        }
    }
    return PackBank(text);
}

QString ImportFormatName(ImportFormat format)
{
    switch (format) {
    case ImportFormat::Gift: return QStringLiteral("GIFT");
    case ImportFormat::Aiken: return QStringLiteral("Aiken");
    case ImportFormat::Csv: return QStringLiteral("CSV");
    case ImportFormat::Auto: break;
    }
    return QStringLiteral("не распознан");
}
