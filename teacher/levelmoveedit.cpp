#include "levelmoveedit.h"

#include "bankdocument.h"
#include "cp1251.h"

#include <QCryptographicHash>

namespace {

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// The editor keeps six fields; the bank line may have had five (no illustration, no last "|").
bool hashesTo(const QuestionFields &fields, const QString &wanted)
{
    const std::optional<QByteArray> line = cp1251::encode(QuestionLine(fields));
    if (!line)
        return false;
    if (sha256(*line) == wanted)
        return true;
    return fields.illustration.isEmpty() && sha256(line->chopped(1)) == wanted;
}

} // namespace

std::optional<BankPlace> FindQuestionByHash(const BankDocument &doc, const QString &hash, int level, int bankIndex)
{
    const QString wanted = hash.toLower();
    if (level >= 1 && level <= kBankLevels && bankIndex >= 0 && bankIndex < doc.count(level)
        && hashesTo(doc.question(level, bankIndex), wanted)) {
        return BankPlace{level, bankIndex};
    }
    QList<int> levels{level};
    for (int other = 1; other <= kBankLevels; ++other) {
        if (other != level)
            levels.append(other);
    }
    for (int l : levels) {
        for (int row = 0; row < doc.count(l); ++row) {
            if (hashesTo(doc.question(l, row), wanted))
                return BankPlace{l, row};
        }
    }
    return std::nullopt;
}

QString EmptiedLevelWarning(const BankDocument &doc, const BankPlace &place)
{
    if (doc.count(place.level) != 1)
        return {};
    return QStringLiteral("Это единственный вопрос уровня %1: после переноса уровень %1 останется без вопросов, и "
                          "игра не сможет провести занятие, пока на него не добавят вопрос.").arg(place.level);
}

QString ApplyLevelMove(BankDocument &doc, const LevelMove &move, const EmptyingConsent &consent)
{
    const std::optional<BankPlace> place = FindQuestionByHash(doc, move.sha256, move.fromLevel, move.bankIndex);
    if (!place) {
        return QStringLiteral("Вопроса «%1» нет в открытом вопроснике: его изменили или удалили после игр. "
                              "Перенос не сделан.").arg(move.question);
    }
    if (place->level == move.toLevel)
        return QStringLiteral("Вопрос «%1» уже стоит на уровне %2.").arg(move.question).arg(move.toLevel);
    const QString emptied = EmptiedLevelWarning(doc, *place);
    if (!emptied.isEmpty() && !(consent && consent(QStringLiteral("Вопрос «%1». %2").arg(move.question, emptied))))
        return QStringLiteral("Перенос не сделан: уровень %1 остался бы без вопросов.").arg(place->level);
    doc.moveToLevel(place->level, place->row, move.toLevel);
    return {};
}
