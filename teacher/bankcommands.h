#pragma once
// The steps of the undo stack: each edit of a bank, done and undone.

#include "bank.h"

#include <QUndoCommand>

class BankDocument;

class SetFieldStep : public QUndoCommand
{
public:
    SetFieldStep(BankDocument *doc, int level, int row, int column, QString text, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    BankDocument *m_doc;
    int m_level;
    int m_row;
    int m_column;
    QString m_before;
    QString m_after;
};

class InsertStep : public QUndoCommand
{
public:
    InsertStep(BankDocument *doc, int level, int row, QuestionFields fields, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    BankDocument *m_doc;
    int m_level;
    int m_row;
    QuestionFields m_fields;
};

class RemoveStep : public QUndoCommand
{
public:
    RemoveStep(BankDocument *doc, int level, int row, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    BankDocument *m_doc;
    int m_level;
    int m_row;
    QuestionFields m_removed;
};

class MoveStep : public QUndoCommand
{
public:
    MoveStep(BankDocument *doc, int level, int from, int to, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    BankDocument *m_doc;
    int m_level;
    int m_from;
    int m_to;
};

/// Typing into the notes: one step for a run of typing, as a text editor undoes it.
class NotesStep : public QUndoCommand
{
public:
    NotesStep(BankDocument *doc, QStringList notes, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand *other) override;

private:
    static constexpr int kId = 1;
    BankDocument *m_doc;
    QStringList m_before;
    QStringList m_after;
};
