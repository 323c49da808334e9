#include "serverload.h"

#include "answerrow.h"
#include "cp1251.h"
#include "resultslist.h"
#include "serverconnection.h"
#include "serverrows.h"
#include "userfile.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The namespace of the records' ids; fixed for good, or a file loaded again would be new rows.
const QUuid kRecordNamespace(QStringLiteral("{6f3c1a52-2b7e-4d8e-9a61-0c4e5b7d9f21}"));

// Whether the same record is on the server under another id: a game sent it as it was played.
Result<bool> sameRecordThere(QSqlDatabase &db, const QVariantList &record)
{
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("SELECT EXISTS (SELECT FROM tallory.results WHERE upper(lesson) = upper(?) "
                                  "AND upper(name) = upper(?) AND levels = ? AND grade = ?)")))
        return Result<bool>::failure(DescribeServerError(q.lastError()));
    for (const QVariant &v : record)
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        return Result<bool>::failure(DescribeServerError(q.lastError()));
    return Result<bool>::success(q.value(0).toBool());
}

Status loadEntry(QSqlDatabase &db, const ResultEntry &e, const QFileInfo &file, RezLoadCounts &counts)
{
    const QString lesson = cp1251::decode(e.lesson);
    const QString name = cp1251::decode(e.name);
    const QString grade = cp1251::decode(e.grade);
    const auto there = sameRecordThere(db, {lesson, name, e.levels, grade});
    if (!there.ok())
        return Status::failure(there.error);
    if (there.value) {
        ++counts.alreadyThere;
        return Status::success();
    }
    const QString id = ResultRecordId(lesson, name, e.levels, grade).toString(QUuid::WithoutBraces);
    const QString recorded = file.lastModified().toUTC().toString(Qt::ISODateWithMs);
    const auto sent = SendRow(db, ServerTable::Results,
                              ResultRow({id, lesson, name, e.levels, grade, file.absoluteFilePath(), recorded}));
    if (!sent.ok())
        return Status::failure(sent.error);
    ++(sent.value ? counts.loaded : counts.alreadyThere);
    return Status::success();
}

} // namespace

RezLoadCounts &RezLoadCounts::operator+=(const RezLoadCounts &other)
{
    loaded += other.loaded;
    alreadyThere += other.alreadyThere;
    skipped += other.skipped;
    return *this;
}

QUuid ResultRecordId(const QString &lesson, const QString &name, int levels, const QString &grade)
{
    // Line breaks cannot be in a record's fields, so the four joined by them name one record.
    const QString key = lesson.toUpper() + QLatin1Char('\n') + name.toUpper() + QLatin1Char('\n')
                        + QString::number(levels) + QLatin1Char('\n') + grade;
    return QUuid::createUuidV5(kRecordNamespace, key.toUtf8());
}

Result<RezLoadCounts> LoadResultsFile(QSqlDatabase &db, const QString &rezPath)
{
    using Counts = Result<RezLoadCounts>;
    const auto bytes = ReadInputFile(rezPath);
    if (!bytes.ok())
        return Counts::failure(bytes.error);
    const QFileInfo file(rezPath);
    RezLoadCounts counts;
    if (!db.transaction())
        return Counts::failure(DescribeServerError(db.lastError()));
    for (const ResultEntry &e : ReadResultEntries(bytes.value)) {
        if (e.state != ResultEntry::State::Intact) {
            ++counts.skipped;
            continue;
        }
        const Status done = loadEntry(db, e, file, counts);
        if (!done.ok()) {
            db.rollback();
            return Counts::failure(QStringLiteral("«%1» не загружен: %2").arg(rezPath, done.error));
        }
    }
    if (!db.commit())
        return Counts::failure(DescribeServerError(db.lastError()));
    return Counts::success(counts);
}

QString DescribeLoadCounts(const RezLoadCounts &counts)
{
    return QStringLiteral("Загружено записей: %1, уже были на сервере: %2, пропущено повреждённых и сомнительных: %3.")
        .arg(counts.loaded).arg(counts.alreadyThere).arg(counts.skipped);
}
