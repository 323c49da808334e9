#pragma once
// The questions the workbench asks the teacher and the messages it shows, behind one small
// interface: the window uses dialogs, the tests answer at once.

#include "importer.h"

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

/// Where imported questions go.
enum class ImportPlacement {
    CurrentLevel, ///< every question into the level being edited
    SourceLevels, ///< each into the level its source names; those without one into the level being edited
};

class TeacherPrompts
{
public:
    virtual ~TeacherPrompts() = default;
    /// A file to read; empty when the teacher cancels.
    virtual QString openFile(QWidget *parent, const QString &caption, const QString &filter) = 0;
    /// Files to read, chosen together; none when the teacher cancels.
    virtual QStringList openFiles(QWidget *parent, const QString &caption, const QString &filter) = 0;
    /// A file to write; empty when the teacher cancels.
    virtual QString saveFile(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter) = 0;
    /// A line of text; nothing when the teacher cancels.
    virtual std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &label,
                                           const QString &text) = 0;
    /// A level 1 … 15; nothing when the teacher cancels.
    virtual std::optional<int> askLevel(QWidget *parent, const QString &caption, int current) = 0;
    /// Yes or no.
    virtual bool confirm(QWidget *parent, const QString &caption, const QString &text) = 0;
    /// One of the answers, or «Отмена» after them: the first answer is the default (Enter), and
    /// Escape or closing the box cancels. The index of the answer; nothing for «Отмена».
    virtual std::optional<int> choose(QWidget *parent, const QString &caption, const QString &text,
                                      const QStringList &answers) = 0;
    /// An error or a refusal, with details when there are many lines of them.
    virtual void showError(QWidget *parent, const QString &caption, const QString &text, const QString &details = {}) = 0;
    /// The preview of an import: nothing when the teacher cancels.
    virtual std::optional<ImportPlacement> reviewImport(QWidget *parent, const ImportOutcome &outcome, int level) = 0;
};

/// The prompts as dialogs.
class DialogPrompts final : public TeacherPrompts
{
public:
    QString openFile(QWidget *parent, const QString &caption, const QString &filter) override;
    QStringList openFiles(QWidget *parent, const QString &caption, const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter) override;
    std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &label,
                                   const QString &text) override;
    std::optional<int> askLevel(QWidget *parent, const QString &caption, int current) override;
    bool confirm(QWidget *parent, const QString &caption, const QString &text) override;
    std::optional<int> choose(QWidget *parent, const QString &caption, const QString &text,
                              const QStringList &answers) override;
    void showError(QWidget *parent, const QString &caption, const QString &text, const QString &details) override;
    std::optional<ImportPlacement> reviewImport(QWidget *parent, const ImportOutcome &outcome, int level) override;
};
