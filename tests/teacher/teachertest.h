#pragma once
// What the workbench tests share: prompts that answer at once and record what was shown, and
// small banks.

#include "bank.h"
#include "prompts.h"

#include <QStringList>

#include <deque>

/// Answers the workbench's questions from queues filled by the test; records errors shown.
class FakePrompts final : public TeacherPrompts
{
public:
    std::deque<QString> files;               ///< answers to openFile and saveFile, in order
    std::deque<QStringList> fileLists;       ///< answers to openFiles, in order
    std::deque<QString> texts;               ///< answers to askText; none left is a cancel
    std::optional<int> level;                ///< the answer to askLevel
    bool confirmAnswer = true;
    std::optional<int> chooseAnswer = 0; ///< the answer to choose: its index, nothing for «Отмена»
    QString lastQuestion;                ///< the text of the last confirm or choose
    std::optional<ImportPlacement> placement = ImportPlacement::SourceLevels;
    QStringList errors;       ///< each error's text, then its details on a line of their own
    QStringList asked;        ///< the caption of every prompt, in order
    ImportOutcome lastImport; ///< the outcome shown in the import preview

    QString openFile(QWidget *, const QString &caption, const QString &) override { return next(caption); }
    QStringList openFiles(QWidget *, const QString &caption, const QString &) override
    {
        asked.append(caption);
        if (fileLists.empty())
            return {};
        QStringList chosen = fileLists.front();
        fileLists.pop_front();
        return chosen;
    }
    QString saveFile(QWidget *, const QString &caption, const QString &, const QString &) override { return next(caption); }
    std::optional<QString> askText(QWidget *, const QString &caption, const QString &, const QString &) override
    {
        asked.append(caption);
        if (texts.empty())
            return std::nullopt;
        QString t = texts.front();
        texts.pop_front();
        return std::optional<QString>(std::move(t));
    }
    std::optional<int> askLevel(QWidget *, const QString &caption, int) override
    {
        asked.append(caption);
        return level;
    }
    bool confirm(QWidget *, const QString &caption, const QString &text) override
    {
        asked.append(caption);
        lastQuestion = text;
        return confirmAnswer;
    }
    std::optional<int> choose(QWidget *, const QString &caption, const QString &text, const QStringList &) override
    {
        asked.append(caption);
        lastQuestion = text;
        return chooseAnswer;
    }
    void showError(QWidget *, const QString &caption, const QString &text, const QString &details) override
    {
        asked.append(caption);
        errors.append(details.isEmpty() ? text : text + QLatin1Char('\n') + details);
    }
    std::optional<ImportPlacement> reviewImport(QWidget *, const ImportOutcome &outcome, int) override
    {
        asked.append(QStringLiteral("import"));
        lastImport = outcome;
        return placement;
    }

private:
    QString next(const QString &caption)
    {
        asked.append(caption);
        if (files.empty())
            return {};
        QString f = files.front();
        files.pop_front();
        return f;
    }
};

namespace teachertest {

inline QuestionFields question(const QString &q, const QString &right = QStringLiteral("да"))
{
    return QuestionFields{q, right, QStringLiteral("нет"), QStringLiteral("может быть"), QStringLiteral("не знаю"), {}};
}

/// A playable bank: every level has `perLevel` good questions, "Вопрос L.N?".
inline EditorBank fullBank(int perLevel = 2)
{
    EditorBank bank;
    bank.notes = {QStringLiteral("Алгебра, 7 класс")};
    for (int level = 1; level <= kBankLevels; ++level) {
        for (int n = 1; n <= perLevel; ++n)
            bank.levels[static_cast<size_t>(level)].append(question(QStringLiteral("Вопрос %1.%2?").arg(level).arg(n)));
    }
    return bank;
}

} // namespace teachertest
