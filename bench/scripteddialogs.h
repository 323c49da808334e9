#pragma once
// The input boxes of a new game answered at once from a queue, for benchmarks that play games;
// an error box is printed, as there is nobody to read it.

#include "dialogs.h"

#include <QString>

#include <cstdio>
#include <deque>

class ScriptedDialogs : public Dialogs
{
public:
    std::deque<QString> answers;
    bool inputText(const QString &, const QString &, QString &value) override
    {
        if (answers.empty())
            return false;
        value = answers.front();
        answers.pop_front();
        return true;
    }
    void showError(const QString &message) override { std::fprintf(stderr, "error: %s\n", qPrintable(message)); }
    bool confirmLeave(const QString &, const QString &, const QString &) override { return false; }
    void showModal(QDialog &) override {}
    void showAbout(const QString &, const QString &) override {}
};
