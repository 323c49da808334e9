#include "prompts.h"

#include "bankformat.h"
#include "importdialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

QString DialogPrompts::openFile(QWidget *parent, const QString &caption, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, {}, filter);
}

QStringList DialogPrompts::openFiles(QWidget *parent, const QString &caption, const QString &filter)
{
    return QFileDialog::getOpenFileNames(parent, caption, {}, filter);
}

QString DialogPrompts::saveFile(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

std::optional<QString> DialogPrompts::askText(QWidget *parent, const QString &caption, const QString &label,
                                              const QString &text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

std::optional<int> DialogPrompts::askLevel(QWidget *parent, const QString &caption, int current)
{
    bool ok = false;
    const int level = QInputDialog::getInt(parent, caption, QStringLiteral("Уровень (1 … 15):"), current, 1, kBankLevels, 1, &ok);
    if (!ok)
        return std::nullopt;
    return level;
}

bool DialogPrompts::confirm(QWidget *parent, const QString &caption, const QString &text)
{
    return QMessageBox::question(parent, caption, text) == QMessageBox::Yes;
}

std::optional<int> DialogPrompts::choose(QWidget *parent, const QString &caption, const QString &text,
                                         const QStringList &answers)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton *> buttons;
    for (qsizetype i = 0; i < answers.size(); ++i)
        buttons.append(box.addButton(answers[i], i == 0 ? QMessageBox::AcceptRole : QMessageBox::DestructiveRole));
    QPushButton *cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    // Enter takes the first answer, the one that keeps the teacher's work; only a deliberate
    // click or Alt key takes another.
    if (!buttons.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.front()));
    box.setEscapeButton(cancel);
    box.exec();
    const qsizetype chosen = buttons.indexOf(box.clickedButton());
    if (chosen < 0)
        return std::nullopt;
    return static_cast<int>(chosen);
}

void DialogPrompts::showError(QWidget *parent, const QString &caption, const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

std::optional<ImportPlacement> DialogPrompts::reviewImport(QWidget *parent, const ImportOutcome &outcome, int level)
{
    ImportDialog dialog(outcome, level, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.placement();
}
