#include "bank.h"

int EditorBank::total() const
{
    int n = 0;
    for (const auto &level : levels)
        n += static_cast<int>(level.size());
    return n;
}

const QString &FieldAt(const QuestionFields &f, int column)
{
    switch (column) {
    case 0: return f.question;
    case 1: return f.right;
    case 2: return f.wrong1;
    case 3: return f.wrong2;
    case 4: return f.wrong3;
    default: return f.illustration;
    }
}

QString &FieldAt(QuestionFields &f, int column)
{
    return const_cast<QString &>(FieldAt(static_cast<const QuestionFields &>(f), column));
}

int ColumnOf(QuestionField field)
{
    switch (field) {
    case QuestionField::Question: return 0;
    case QuestionField::Right: return 1;
    case QuestionField::Wrong1: return 2;
    case QuestionField::Wrong2: return 3;
    case QuestionField::Wrong3: return 4;
    case QuestionField::Illustration: return 5;
    case QuestionField::Line: break;
    }
    return -1;
}
