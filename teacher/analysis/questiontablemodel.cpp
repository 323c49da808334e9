#include "questiontablemodel.h"

#include <QLocale>

#include <algorithm>

namespace {

QString letter(int button)
{
    return QString(QLatin1Char(static_cast<char>('A' + button - 1)));
}

QString seconds(qint64 ms)
{
    // Made once: the table asks for a cell's text at every repaint.
    static const QLocale russian(QLocale::Russian);
    return ms < 0 ? QStringLiteral("—") : russian.toString(ms / 1000.0, 'f', 1) + QStringLiteral(" с");
}

QString flagWords(const QList<QuestionFlag> &flags)
{
    QStringList words;
    for (const QuestionFlag &flag : flags)
        words.append(FlagWord(flag.kind));
    return words.join(QStringLiteral(", "));
}

} // namespace

QString ShareText(double share, int answered)
{
    return answered > 0 ? QStringLiteral("%1 %").arg(qRound(share * 100)) : QStringLiteral("—");
}

QString RightButtonText(const std::array<int, 5> &onButton)
{
    QList<int> buttons;
    for (int b = 1; b <= 4; ++b) {
        if (onButton[size_t(b)] > 0)
            buttons.append(b);
    }
    std::stable_sort(buttons.begin(), buttons.end(),
                     [&onButton](int a, int b) { return onButton[size_t(a)] > onButton[size_t(b)]; });
    QStringList parts;
    for (int b : buttons)
        parts.append(QStringLiteral("%1 %2").arg(letter(b)).arg(onButton[size_t(b)]));
    return parts.join(QStringLiteral(", "));
}

QuestionTableModel::QuestionTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void QuestionTableModel::setQuestions(const QList<QuestionFigures> &questions)
{
    beginResetModel();
    m_questions = questions;
    endResetModel();
}

int QuestionTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_questions.size());
}

int QuestionTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant QuestionTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_questions.size())
        return {};
    const QuestionFigures &q = m_questions[index.row()];
    if (role == Qt::DisplayRole)
        return display(q, index.column());
    if (role == Qt::ToolTipRole)
        return toolTip(q, index.column());
    if (role == Qt::TextAlignmentRole && index.column() != Question && index.column() != Flags)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant QuestionTableModel::display(const QuestionFigures &q, int column) const
{
    switch (column) {
    case Level: return q.level;
    case Question: return q.question;
    case Asked: return q.asked;
    case Right: return ShareText(q.share(1), q.answered);
    case Wrong1:
    case Wrong2:
    case Wrong3: return ShareText(q.share(column - Wrong1 + 2), q.answered);
    case Median: return seconds(q.medianMs);
    case Fifty: return q.fiftyFifty;
    case Audience: return q.audience;
    case Friend: return q.friendCalls;
    case RightButton: return RightButtonText(q.rightOnButton);
    case Flags: return flagWords(q.flags);
    }
    return {};
}

// The answers' texts and the flags' reasons stay out of the cells, which keep the figures
// readable, and come up under the pointer.
QVariant QuestionTableModel::toolTip(const QuestionFigures &q, int column) const
{
    const auto answer = [&q](int k, int clicks) {
        const QString text = q.answers[size_t(k)].isEmpty() ? QStringLiteral("(текст неизвестен: его не выбирали)")
                                                            : q.answers[size_t(k)];
        return QStringLiteral("%1\nвыбран %2 раз из %3").arg(text).arg(clicks).arg(q.answered);
    };
    switch (column) {
    case Question: return q.question;
    case Right: return answer(1, q.chosen[1]);
    case Wrong1:
    case Wrong2:
    case Wrong3: {
        const int k = column - Wrong1 + 2;
        return answer(k, q.chosen[size_t(k)]);
    }
    case Flags: {
        QStringList reasons;
        for (const QuestionFlag &flag : q.flags)
            reasons.append(flag.reason);
        return reasons.isEmpty() ? QVariant() : QVariant(reasons.join(QLatin1Char('\n')));
    }
    }
    return {};
}

QVariant QuestionTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList titles{
        QStringLiteral("Уровень"), QStringLiteral("Вопрос"), QStringLiteral("Задан"), QStringLiteral("Верно"),
        QStringLiteral("Неверный 1"), QStringLiteral("Неверный 2"), QStringLiteral("Неверный 3"),
        QStringLiteral("Медиана"), QStringLiteral("50:50"), QStringLiteral("Зал"), QStringLiteral("Друг"),
        QStringLiteral("Верный на"), QStringLiteral("Отметки")};
    static const QStringList tips{
        {}, {}, QStringLiteral("Сколько раз вопрос показан, остановки на нём тоже"),
        QStringLiteral("Доля верных ответов из всех ответов на вопрос"),
        QStringLiteral("Доля выбравших первый неверный ответ вопросника"),
        QStringLiteral("Доля выбравших второй неверный ответ вопросника"),
        QStringLiteral("Доля выбравших третий неверный ответ вопросника"),
        QStringLiteral("Медиана времени от показа вопроса до ответа"),
        QStringLiteral("Сколько раз на вопросе брали «50:50»"), QStringLiteral("Сколько раз спрашивали зал"),
        QStringLiteral("Сколько раз звонили другу"),
        QStringLiteral("На какой кнопке стоял верный ответ и сколько раз"),
        QStringLiteral("Подозрения; причина — во всплывающей подсказке ячейки")};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return titles[section];
    if (role == Qt::ToolTipRole && !tips[section].isEmpty())
        return tips[section];
    return {};
}
