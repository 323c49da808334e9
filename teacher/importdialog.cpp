#include "importdialog.h"

#include "diagnostic.h"
#include "importbank.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget *table(const QStringList &headers, QWidget *parent)
{
    auto *t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->horizontalHeader()->setStretchLastSection(true);
    t->verticalHeader()->hide();
    return t;
}

void addRow(QTableWidget *t, const QStringList &cells)
{
    const int row = t->rowCount();
    t->insertRow(row);
    for (int c = 0; c < cells.size(); ++c) {
        auto *item = new QTableWidgetItem(cells[c]);
        item->setToolTip(cells[c]);
        t->setItem(row, c, item);
    }
}

QString count(int n)
{
    return RussianCount(n, QStringLiteral("вопрос"), QStringLiteral("вопроса"), QStringLiteral("вопросов"));
}

} // namespace

ImportDialog::ImportDialog(const ImportOutcome &outcome, int level, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Импорт вопросов"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Формат: %1. Будет взято: %2; не взято: %3.")
                                     .arg(ImportFormatName(outcome.format), count(static_cast<int>(outcome.taken.size())),
                                          count(static_cast<int>(outcome.rejected.size()))), this));
    m_taken = table({QStringLiteral("Строка"), QStringLiteral("Уровень"), QStringLiteral("Вопрос"),
                     QStringLiteral("Верный ответ"), QStringLiteral("Неверный 1"), QStringLiteral("Неверный 2"),
                     QStringLiteral("Неверный 3"), QStringLiteral("Не перенесено")},
                    this);
    // Each wrong answer in a column of its own: joined in one cell, an answer that holds «;» or
    // a comma could not be told from two.
    for (const ImportedQuestion &q : outcome.taken) {
        const QuestionFields &f = q.fields;
        addRow(m_taken, {QString::number(q.line), q.level > 0 ? QString::number(q.level) : QStringLiteral("—"),
                         f.question, f.right, f.wrong1, f.wrong2, f.wrong3, q.remarks.join(QStringLiteral("; "))});
    }
    layout->addWidget(m_taken, 3);
    layout->addWidget(new QLabel(QStringLiteral("Не взяты:"), this));
    m_rejected = table({QStringLiteral("Строка"), QStringLiteral("Вопрос"), QStringLiteral("Причина")}, this);
    for (const ImportRejection &r : outcome.rejected)
        addRow(m_rejected, {QString::number(r.line), r.text, r.reason});
    layout->addWidget(m_rejected, 2);

    auto *intoLevel = new QRadioButton(QStringLiteral("Все вопросы — в уровень %1").arg(level), this);
    m_bySource = new QRadioButton(QStringLiteral("По уровням из файла; вопросы без уровня — в уровень %1").arg(level), this);
    const bool sourceHasLevels = std::any_of(outcome.taken.begin(), outcome.taken.end(),
                                             [](const ImportedQuestion &q) { return q.level > 0; });
    (sourceHasLevels ? m_bySource : intoLevel)->setChecked(true);
    layout->addWidget(intoLevel);
    layout->addWidget(m_bySource);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Добавить"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!outcome.taken.isEmpty());
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, 560);
}

ImportPlacement ImportDialog::placement() const
{
    return m_bySource->isChecked() ? ImportPlacement::SourceLevels : ImportPlacement::CurrentLevel;
}
