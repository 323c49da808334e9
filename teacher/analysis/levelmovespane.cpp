#include "levelmovespane.h"

#include "tablefit.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QColor>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

enum Column { Question, From, To, Right, Answered, Reason, Decision, ColumnCount };

// The same move of the same question: its decision carries over when the moves are proposed again.
bool sameMove(const LevelMove &a, const LevelMove &b)
{
    return a.sha256 == b.sha256 && a.fromLevel == b.fromLevel && a.toLevel == b.toLevel;
}

} // namespace

LevelMovesPane::LevelMovesPane(QWidget *parent)
    : QWidget(parent)
{
    m_why = new QLabel(this);
    m_why->setObjectName(QStringLiteral("levelMovesWhy"));
    m_why->setWordWrap(true);
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("levelMoves"));
    m_table->setAccessibleName(QStringLiteral("Предложенные переносы"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Вопрос"), QStringLiteral("С уровня"), QStringLiteral("На уровень"),
                                        QStringLiteral("Верно"), QStringLiteral("Ответов"), QStringLiteral("Почему"),
                                        QStringLiteral("Решение")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->setWordWrap(false);
    // The question and the reason give up room, so that the decision stays in sight.
    m_fit = new TableFit(m_table, {2, 0, 0, 0, 0, 3, 0});
    m_accept = new QPushButton(QStringLiteral("Пр&инять перенос"), this);
    m_accept->setObjectName(QStringLiteral("acceptMove"));
    m_reject = new QPushButton(QStringLiteral("&Отклонить"), this);
    m_reject->setObjectName(QStringLiteral("rejectMove"));
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("levelMovesResult"));
    m_result->setWordWrap(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_accept);
    buttons->addWidget(m_reject);
    buttons->addWidget(m_result, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_why);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    connect(m_accept, &QPushButton::clicked, this, &LevelMovesPane::accept);
    connect(m_reject, &QPushButton::clicked, this, &LevelMovesPane::reject);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &LevelMovesPane::updateButtons);
    clear();
}

void LevelMovesPane::setMoves(const QString &lesson, const QList<LevelMove> &moves, const AnalysisSettings &settings)
{
    // A journal changing on another machine proposes the moves again: what the teacher decided
    // stays, and the move she had chosen stays chosen.
    const int row = m_table->currentRow();
    const std::optional<LevelMove> chosen = row >= 0 && row < m_moves.size() ? std::optional(m_moves[row]) : std::nullopt;
    QList<LevelMove> decided;
    QStringList marks;
    if (lesson == m_lesson) {
        for (int r = 0; r < m_moves.size(); ++r) {
            if (!m_decisions[r].isEmpty()) {
                decided.append(m_moves[r]);
                marks.append(m_decisions[r]);
            }
        }
    }
    m_lesson = lesson;
    m_moves.clear();
    m_decisions.clear();
    for (const LevelMove &m : moves) {
        const auto old = std::find_if(decided.begin(), decided.end(), [&](const LevelMove &d) { return sameMove(d, m); });
        m_moves.append(m);
        m_decisions.append(old == decided.end() ? QString() : marks[old - decided.begin()]);
        if (old != decided.end()) {
            marks.removeAt(old - decided.begin());
            decided.erase(old);
        }
    }
    m_moves.append(decided);
    m_decisions.append(marks);
    // With n answers a share wanders by chance about 1/sqrt(n) (two standard errors): below
    // the margin a question must be off its level by, so no move rests on chance alone.
    const int n = std::max(1, settings.minAnswersToMove);
    const int wander = qRound(100.0 / std::sqrt(double(n)));
    const int margin = qRound(settings.margin * 100);
    m_why->setText(QStringLiteral("Переносятся только вопросы, на которые ответили не меньше %1 раз: с таким числом "
                                  "ответов доля верных случайно гуляет примерно на ±%2 %, %3 порога в %4 %, на "
                                  "который вопрос должен отстоять от своего уровня.")
                       .arg(n).arg(wander)
                       .arg(wander < margin ? QStringLiteral("меньше") : QStringLiteral("не меньше"))
                       .arg(margin));
    fillTable();
    for (int r = 0; chosen && r < m_moves.size(); ++r) {
        if (sameMove(m_moves[r], *chosen))
            m_table->selectRow(r);
    }
    m_result->setText(m_moves.isEmpty() ? QStringLiteral("Переносить нечего: лестница поднимается, или ответов пока мало.")
                                        : QString());
    updateButtons();
}

void LevelMovesPane::fillTable()
{
    const QSignalBlocker quiet(m_table);
    m_table->clearContents();
    m_table->setRowCount(int(m_moves.size()));
    for (int r = 0; r < m_moves.size(); ++r) {
        const LevelMove &m = m_moves[r];
        // A move that would leave a level empty says so first, where the eye starts.
        const QString warning = m_warner && m_decisions[r].isEmpty() ? m_warner(m) : QString();
        const QString reason = warning.isEmpty() ? m.reason : QStringLiteral("Внимание: %1 %2").arg(warning, m.reason);
        const QStringList cells{m.question, QString::number(m.fromLevel), QString::number(m.toLevel),
                                QStringLiteral("%1 %").arg(qRound(m.share * 100)), QString::number(m.answered),
                                reason, m_decisions[r]};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            if (!warning.isEmpty() && (c == From || c == Reason))
                item->setBackground(QColor(0xFF, 0xE0, 0xA0));
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    QList<int> widths;
    for (int c = 0; c < ColumnCount; ++c)
        widths.append(m_table->columnWidth(c));
    m_fit->setPreferred(widths);
}

QString LevelMovesPane::decision(int row) const
{
    const QTableWidgetItem *item = m_table->item(row, Decision);
    return item ? item->text() : QString();
}

void LevelMovesPane::accept()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_moves.size())
        return;
    const QString refused = m_applier ? m_applier(m_moves[row]) : QStringLiteral("Вопросник не открыт.");
    if (!refused.isEmpty()) {
        m_result->setText(refused);
        return;
    }
    decide(row, QStringLiteral("принят"));
    m_result->setText(QStringLiteral("Перенос внесён в вопросник как шаг правки: «Отменить» (Ctrl+Z) вернёт его. "
                                     "Вопросник не сохранён."));
}

void LevelMovesPane::reject()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_moves.size())
        return;
    decide(row, QStringLiteral("отклонён"));
    m_result->setText(QStringLiteral("Перенос отклонён; вопросник не изменён."));
}

void LevelMovesPane::decide(int row, const QString &word)
{
    m_decisions[row] = word;
    m_table->item(row, Decision)->setText(word);
    updateButtons();
}

void LevelMovesPane::updateButtons()
{
    const int row = m_table->currentRow();
    const bool open = row >= 0 && row < m_moves.size() && decision(row).isEmpty();
    m_accept->setEnabled(open);
    m_reject->setEnabled(open);
}
