#pragma once
// "tallory-results answers --server SERVICE [--lesson CODE] [--csv]": the class's answers to
// every question from the school's server, the same table `answers PATH...` prints from journals.

#include <QString>

/// Prints the question table of the lesson (of every lesson when empty); the exit status.
int PrintServerAnswers(const QString &service, const QString &lesson, bool csv);
