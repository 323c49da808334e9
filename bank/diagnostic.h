#pragma once
// Messages about a line of a file, printed the way compilers print them: "file:line: text".

#include "cp1251.h" // DescribeCharacter

#include <QString>

#include <vector>

struct Diagnostic {
    enum class Severity { Error, Warning, Note };
    Severity severity = Severity::Error;
    int line = 0; ///< 1-based; 0 when the message is about the whole file
    QString text;
};

using Diagnostics = std::vector<Diagnostic>;

/// "file:line: ошибка: text", "file:line: предупреждение: text" or "file:line: text" for a note;
/// the line number is left out when it is 0. No line end.
QString FormatDiagnostic(const QString &file, const Diagnostic &d);

/// Every diagnostic formatted, each followed by "\n", in line order (stable for equal lines);
/// those about the whole file last.
QString FormatDiagnostics(const QString &file, Diagnostics list);

/// Whether any of the diagnostics is an error.
bool HasErrors(const Diagnostics &list);

/// A count with the Russian noun form that goes with it: "1 вопрос", "3 вопроса", "11 вопросов".
QString RussianCount(int n, const QString &one, const QString &few, const QString &many);

