#pragma once
// The analysis half of bench_journal: the teacher's analysis of a big lab's journals.

#include <QString>
#include <QStringList>

/// Makes the journals in folder, measures and prints; true when every target is met.
bool BenchAnalysis(const QString &folder);

/// The 30 journals of 1 000 000 answers in five lessons in the program folder's journal/ (ending
/// in "/"), made unless an earlier run left them there; their files.
QStringList FillAnalysisLab(const QString &programFolder);
