#pragma once
// A question bank as the teacher edits it: plain Unicode fields, level by level, with the title
// and notes that stand before the first level.

#include "bankformat.h"
#include "questionrules.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

/// A bank being edited: notes before "[1]" and the questions of levels 1 … 15 (index 0 unused).
struct EditorBank {
    QStringList notes;
    std::array<QList<QuestionFields>, kBankLevels + 1> levels;

    int total() const;
};

/// One field of a question by its column (0 = question … 5 = illustration).
const QString &FieldAt(const QuestionFields &fields, int column);
QString &FieldAt(QuestionFields &fields, int column);

/// The column of a field; Line (a problem of the whole line) has none: -1.
int ColumnOf(QuestionField field);

inline constexpr int kFieldColumns = 6;
