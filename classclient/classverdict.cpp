#include "classverdict.h"

#include "cp1251.h"
#include "phrases.h"

namespace {

// The row of a table that says text; 0 when none does.
int rowSaying(QByteArray (*table)(int), int rows, const QString &text)
{
    const QByteArray said = cp1251::encode(text).value_or(QByteArray());
    for (int row = 1; row <= rows; ++row) {
        if (!said.isEmpty() && table(row) == said)
            return row;
    }
    return 0;
}

} // namespace

Verdict VerdictOf(const QJsonObject &event, int level)
{
    Verdict v;
    v.level = event.value(QStringLiteral("level")).toInt(level);
    v.teased = event.value(QStringLiteral("teased")).toBool();
    if (v.teased) {
        v.tease = cp1251::encode(event.value(QStringLiteral("tease")).toString()).value_or(QByteArray());
        return v;
    }
    v.right = event.value(QStringLiteral("right")).toBool();
    v.correctButton = event.value(QStringLiteral("correct")).toInt();
    if (event.contains(QStringLiteral("remarkRow"))) {
        v.remark = event.value(QStringLiteral("remarkRow")).toInt();
        v.sound = event.value(QStringLiteral("soundRow")).toInt();
        v.milestone = event.value(QStringLiteral("milestoneLevel")).toInt();
        return v;
    }
    // A server that names no rows is read by its words and its clip, which are the rows' own.
    const QString remark = event.value(QStringLiteral("remark")).toString();
    const QString milestone = event.value(QStringLiteral("milestone")).toString();
    if (!v.right) {
        v.sound = rowSaying(WrongPhrases, 4, remark);
    } else if (!milestone.isEmpty()) {
        v.milestone = v.level;
    } else {
        v.remark = rowSaying(CorrectPhrases, 9, remark);
        v.sound = rowSaying(CorrectSounds, 4, event.value(QStringLiteral("clip")).toString());
    }
    return v;
}
