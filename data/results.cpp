#include "results.h"

#include "cp1251.h"
#include "faq.h"
#include "inifile.h"
#include "lockedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

QByteArray checks(QByteArrayView name)
{
    qint64 sum = 0;
    for (char c : name)
        sum += static_cast<unsigned char>(c);
    return QByteArray::number(sum);
}

QByteArray GradeWord(int currentLevel)
{
    if (currentLevel > 15)
        return cp1251::text(u"Отлично");
    if (currentLevel > 10)
        return cp1251::text(u"Хорошо");
    if (currentLevel > 5)
        return cp1251::text(u"Удовлетворительно");
    return cp1251::text(u"Неудовлетворительно");
}

QByteArray ResultRecord(QByteArrayView name, int currentLevel)
{
    return name.toByteArray() + '|' + QByteArray::number(currentLevel - 1) + '|' + GradeWord(currentLevel);
}

QString ResultsFilePath(const QString &programFolder)
{
    return programFolder + QStringLiteral("tallory.rez");
}

QString RecordProblem(QByteArrayView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto scrambled = static_cast<unsigned char>(static_cast<unsigned char>(name[i]) ^ kScrambleKey);
        const bool breaks = scrambled == 0 || scrambled == '\n' || scrambled == '\r';
        // A leading blank or tab would be trimmed away when the record is read back.
        const bool trimmedAway = i == 0 && (scrambled == ' ' || scrambled == '\t');
        if (breaks || trimmedAway)
            return QStringLiteral("Символ %1 нельзя сохранить в файле результатов.")
                .arg(DescribeCharacter(cp1251::decode(name.sliced(i, 1))));
    }
    return {};
}

Result<bool> AttemptRecorded(const QString &resultsPath, QByteArrayView lessonCode, QByteArrayView name)
{
    const auto value = IniRead(resultsPath, lessonCode, checks(name));
    if (!value.ok())
        return Result<bool>::failure(value.error);
    return Result<bool>::success(value.value && !value.value->isEmpty());
}

QString ResultsWriteProblem(const QString &named)
{
    // A results file reached through a link is written beside the file it leads to.
    const QString resultsPath = LinkedFilePath(named);
    const QFileInfo info(resultsPath);
    if (info.exists() && !info.isFile())
        return QStringLiteral("«%1» — не файл").arg(QDir::toNativeSeparators(resultsPath));
    // A record is written into a new file beside the old one, which then takes its place; in a
    // folder closed to writing the file itself is rewritten. Trying both, as the write will,
    // asks the file system itself, whoever the user and whatever the kind of share.
    QTemporaryFile probe(info.absolutePath() + QStringLiteral("/tallory-XXXXXX.tmp"));
    if (probe.open())
        return {};
    QFile file(resultsPath);
    if (info.exists() && file.open(QIODevice::ReadWrite)) // opened, not truncated: nothing changes
        return {};
    return QStringLiteral("нет права записи в «%1»")
        .arg(QDir::toNativeSeparators(info.exists() ? resultsPath : info.absolutePath()));
}

Status WriteResult(const QString &resultsPath, QByteArrayView lessonCode, QByteArrayView name, int currentLevel)
{
    const QString problem = RecordProblem(name);
    if (!problem.isEmpty())
        return Status::failure(QStringLiteral("Unable to write to %1: %2").arg(resultsPath, problem));
    return IniWriteString(resultsPath, lessonCode, checks(name), ScrambleText(ResultRecord(name, currentLevel)));
}
