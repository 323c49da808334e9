#pragma once
// Questions from other quiz systems: GIFT, Moodle XML, Aiken and spreadsheet CSV. Each importer takes what
// a bank can hold and says, line by line, why it left the rest.

#include "questionrules.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

enum class ImportFormat { Auto, Gift, Aiken, Csv, MoodleXml };

/// One question taken, with the level its source gave it (0 when it gave none).
struct ImportedQuestion {
    QuestionFields fields;
    int level = 0;
    int line = 0; ///< 1-based line of the source where the question starts
    QStringList remarks; ///< what of the source's question did not come along, in Russian
};

/// One question left out, with why.
struct ImportRejection {
    int line = 0;
    QString text;   ///< the start of the question as the source has it
    QString reason; ///< in Russian, for the teacher
};

struct ImportOutcome {
    ImportFormat format = ImportFormat::Auto; ///< the format read
    QList<ImportedQuestion> taken;
    QList<ImportRejection> rejected;
    QStringList notes; ///< a title or headers of the source that the bank can keep before "[1]"
};

/// Reads a file's bytes (UTF-8 with or without BOM, or Windows-1251; CR LF or LF) in the given
/// format, or in the one recognised from the content for Auto.
ImportOutcome ImportQuestions(const QByteArray &bytes, ImportFormat format = ImportFormat::Auto);
