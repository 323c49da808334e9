#pragma once
// The preview of an import: every question the file gives, and every one it cannot give with
// the reason, before anything enters the bank.

#include "prompts.h"

#include <QDialog>

class QRadioButton;
class QTableWidget;

class ImportDialog : public QDialog
{
    Q_OBJECT

public:
    /// level: the level being edited, where questions without a level of their own go.
    ImportDialog(const ImportOutcome &outcome, int level, QWidget *parent = nullptr);

    ImportPlacement placement() const;
    /// The tables as shown, for tests: the questions taken and those left out.
    QTableWidget *takenTable() const { return m_taken; }
    QTableWidget *rejectedTable() const { return m_rejected; }

private:
    QTableWidget *m_taken = nullptr;
    QTableWidget *m_rejected = nullptr;
    QRadioButton *m_bySource = nullptr;
};
