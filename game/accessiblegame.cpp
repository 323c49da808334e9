#include "accessiblegame.h"

#include "gamestate.h"
#include "windowbanners.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace {

// The rows' panel and its rows are known by the names the window gives them.
const QString kRowsPanel = QStringLiteral("Panel3Client");
constexpr int kMarker = 4; // the row's character that shows '>' on the level being played

QList<QLineEdit *> ladderRows(const QWidget *panel)
{
    QList<QLineEdit *> rows = panel->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly);
    // A reader goes down the list as the eye goes down the screen: the fifteenth level first.
    std::sort(rows.begin(), rows.end(), [](const QLineEdit *a, const QLineEdit *b) { return a->y() < b->y(); });
    return rows;
}

int rowLevel(const QObject *row)
{
    return row->objectName().mid(4).toInt(); // "Edit7"
}

bool isCurrent(const QLineEdit *row)
{
    return row->text().size() > kMarker && row->text().at(kMarker) == QLatin1Char('>');
}

int currentLevel(const QWidget *panel)
{
    for (const QLineEdit *row : ladderRows(panel)) {
        if (isCurrent(row))
            return rowLevel(row);
    }
    return 0;
}

class AccessibleLadder final : public QAccessibleWidget
{
public:
    explicit AccessibleLadder(QWidget *panel) : QAccessibleWidget(panel, QAccessible::List) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return QStringLiteral("Лестница вопросов");
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return int(ladderRows(widget()).size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QLineEdit *> rows = ladderRows(widget());
        return index >= 0 && index < rows.size() ? QAccessible::queryAccessibleInterface(rows[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(ladderRows(widget()).indexOf(qobject_cast<QLineEdit *>(child->object()))) : -1;
    }
};

class AccessibleLadderRow final : public QAccessibleWidget
{
public:
    explicit AccessibleLadderRow(QLineEdit *row) : QAccessibleWidget(row, QAccessible::ListItem) {}
    QString text(QAccessible::Text t) const override
    {
        const int level = rowLevel(widget());
        if (t == QAccessible::Name)
            return LadderRowName(level);
        if (t == QAccessible::Description)
            return LadderRowDescription(level, currentLevel(widget()->parentWidget()));
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = isCurrent(static_cast<QLineEdit *>(widget()));
        s.readOnly = true;
        s.focusable = false;
        return s;
    }
};

// The host's banner: a notification, which a reader speaks as it appears. Its caption is the
// program's name on every banner, and would be spoken after each remark: it is not described.
class AccessibleBanner final : public QAccessibleWidget
{
public:
    explicit AccessibleBanner(QWidget *banner) : QAccessibleWidget(banner, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return QString();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *interfaceFor(const QString &className, QObject *object)
{
    if (!object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("QLineEdit") && widget->parentWidget()
        && widget->parentWidget()->objectName() == kRowsPanel)
        return new AccessibleLadderRow(static_cast<QLineEdit *>(widget));
    if (className == QLatin1String("QWidget") && widget->objectName() == kRowsPanel)
        return new AccessibleLadder(widget);
    if (className == QLatin1String("QWidget") && widget->objectName() == QLatin1String(kBannerObjectName))
        return new AccessibleBanner(widget);
    return nullptr;
}

} // namespace

void InstallGameAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&interfaceFor);
}

void MarkLifelineUsed(QAction *menuItem, QToolButton *toolItem, bool used)
{
    const QString word = used ? kLifelineUsed : QString();
    menuItem->setStatusTip(word);
    toolItem->setAccessibleDescription(word);
}

QString Sentence(const QString &text)
{
    const QString trimmed = text.trimmed();
    // A question mark or an exclamation already ends it; a full stop after it is read aloud
    // by some voices, and is a stray mark in braille.
    static const QString kEnds = QStringLiteral(".?!…");
    if (trimmed.isEmpty() || kEnds.contains(trimmed.back()))
        return trimmed;
    return trimmed + QLatin1Char('.');
}

QString QuestionAnnouncement(int level, const QString &question, const std::array<QString, 5> &captions)
{
    QString text = QStringLiteral("Вопрос %1 на %2 очков. ").arg(level).arg(PointsTable(level)) + Sentence(question);
    for (size_t p = 1; p <= 4; ++p)
        text += QLatin1Char(' ') + Sentence(captions[p]);
    return text;
}

QString FiftyFiftyAnnouncement(const std::array<int, 2> &removed)
{
    std::array<int, 2> tags = removed;
    std::sort(tags.begin(), tags.end());
    return QStringLiteral("Пятьдесят на пятьдесят: убраны ответы %1 и %2.")
        .arg(QChar(u'A' + tags[0] - 1)).arg(QChar(u'A' + tags[1] - 1));
}

QString AudienceAnnouncement(const QStringList &marks)
{
    return QStringLiteral("Помощь аудитории: %1.").arg(marks.join(QStringLiteral(", ")));
}

QString VerdictAnnouncement(bool right, const QString &rightCaption)
{
    return right ? QStringLiteral("Верно: %1.").arg(rightCaption)
                 : QStringLiteral("Неверно. Верный ответ: %1.").arg(rightCaption);
}

QString LadderRowName(int level)
{
    return QStringLiteral("%1: %2 очков").arg(level).arg(PointsTable(level));
}

QString LadderRowDescription(int level, int currentLevel)
{
    QStringList words;
    if (IsMilestone(level))
        words << QStringLiteral("несгораемая сумма, оценка %1").arg(level / 5 + 2);
    if (level == currentLevel)
        words << QStringLiteral("текущий вопрос");
    else if (currentLevel > level)
        words << (IsMilestone(level) ? QStringLiteral("заработана") : QStringLiteral("пройден"));
    return words.join(QStringLiteral(", "));
}
