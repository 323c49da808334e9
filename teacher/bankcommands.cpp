#include "bankcommands.h"

#include "bankdocument.h"

SetFieldStep::SetFieldStep(BankDocument *doc, int level, int row, int column, QString text, QUndoCommand *parent)
    : QUndoCommand(parent), m_doc(doc), m_level(level), m_row(row), m_column(column),
      m_before(FieldAt(doc->question(level, row), column)), m_after(std::move(text))
{
    setText(QStringLiteral("правка вопроса %1 уровня %2").arg(row + 1).arg(level));
}

void SetFieldStep::redo()
{
    m_doc->applySet(m_level, m_row, m_column, m_after);
}

void SetFieldStep::undo()
{
    m_doc->applySet(m_level, m_row, m_column, m_before);
}

InsertStep::InsertStep(BankDocument *doc, int level, int row, QuestionFields fields, QUndoCommand *parent)
    : QUndoCommand(parent), m_doc(doc), m_level(level), m_row(row), m_fields(std::move(fields))
{
    setText(QStringLiteral("новый вопрос уровня %1").arg(level));
}

void InsertStep::redo()
{
    m_doc->applyInsert(m_level, m_row, m_fields);
}

void InsertStep::undo()
{
    m_doc->applyRemove(m_level, m_row);
}

RemoveStep::RemoveStep(BankDocument *doc, int level, int row, QUndoCommand *parent)
    : QUndoCommand(parent), m_doc(doc), m_level(level), m_row(row)
{
    setText(QStringLiteral("удаление вопроса %1 уровня %2").arg(row + 1).arg(level));
}

void RemoveStep::redo()
{
    m_removed = m_doc->applyRemove(m_level, m_row);
}

void RemoveStep::undo()
{
    m_doc->applyInsert(m_level, m_row, m_removed);
}

MoveStep::MoveStep(BankDocument *doc, int level, int from, int to, QUndoCommand *parent)
    : QUndoCommand(parent), m_doc(doc), m_level(level), m_from(from), m_to(to)
{
    setText(QStringLiteral("перестановка вопроса %1 уровня %2").arg(from + 1).arg(level));
}

void MoveStep::redo()
{
    m_doc->applyMove(m_level, m_from, m_to);
}

void MoveStep::undo()
{
    m_doc->applyMove(m_level, m_to, m_from);
}

NotesStep::NotesStep(BankDocument *doc, QStringList notes, QUndoCommand *parent)
    : QUndoCommand(parent), m_doc(doc), m_before(doc->notes()), m_after(std::move(notes))
{
    setText(QStringLiteral("правка заметок"));
}

void NotesStep::redo()
{
    m_doc->applyNotes(m_after);
}

void NotesStep::undo()
{
    m_doc->applyNotes(m_before);
}

bool NotesStep::mergeWith(const QUndoCommand *other)
{
    m_after = static_cast<const NotesStep *>(other)->m_after;
    return true;
}
