#pragma once
// The analysis half of bench_journal: the teacher's analysis of a big lab's journals.

#include <QString>

/// Makes the journals in folder, measures and prints; true when every target is met.
bool BenchAnalysis(const QString &folder);
