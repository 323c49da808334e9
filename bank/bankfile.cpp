#include "bankfile.h"

#include "bankcheck.h"
#include "bankpacker.h"
#include "cp1251.h"
#include "faq.h"
#include "plaintext.h"
#include "lockedfile.h"
#include "userfile.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <thread>

namespace {

QString decodeUnscrambled(QByteArrayView scrambled)
{
    // Byte by byte through the code page's table: a converter opened per line took longer than
    // everything else in reading a large bank.
    QString out(scrambled.size(), Qt::Uninitialized);
    QChar *to = out.data();
    for (char c : scrambled)
        *to++ = QChar(cp1251::charOf(static_cast<unsigned char>(c) ^ kScrambleKey));
    return out;
}

// The fields of a stored question line, split where its scrambled "|" stand and decoded field by
// field: as SplitQuestionLine does on the whole line, without the line and the list in between,
// which took a third of the time of opening a large bank.
QuestionFields scrambledFields(QByteArrayView line)
{
    constexpr char kBar = static_cast<char>('|' ^ kScrambleKey);
    QuestionFields f;
    qsizetype from = 0;
    for (int column = 0; column < kFieldColumns - 1; ++column) {
        const qsizetype bar = line.indexOf(kBar, from);
        if (bar < 0) {
            FieldAt(f, column) = decodeUnscrambled(line.sliced(from));
            return f;
        }
        FieldAt(f, column) = decodeUnscrambled(line.sliced(from, bar - from));
        from = bar + 1;
    }
    f.illustration = decodeUnscrambled(line.sliced(from));
    return f;
}

QString linesLeftOut(int n)
{
    return QStringLiteral("Строк, которые игра не читает, пропущено: %1.").arg(n);
}

} // namespace

namespace {

// A line the editor places in no level, as a note that says where it stood. A line the packer
// scrambled is given unscrambled; a header, a line the game skips and the notes stand plain.
QString keptLine(int number, QByteArrayView line, bool scrambled)
{
    QString text = cp1251::decode(scrambled ? ScrambleText(line) : line.toByteArray());
    for (QChar &c : text) {
        if (c == QChar(0) || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QChar::ReplacementCharacter;
    }
    return QStringLiteral("строка %1: %2").arg(number).arg(text);
}

// The lines past a NUL, which the game never reads: kept as notes, so that a save does not drop
// what the file still holds. The line the NUL stands in is given whole, the NUL left out.
QStringList linesPastNul(const QByteArray &bytes)
{
    const NulCut cut = FindNulCut(bytes);
    if (cut.offset < 0)
        return {};
    QByteArray whole = bytes;
    whole.replace('\0', QByteArray());
    const FaqText text = FaqText::fromBytes(whole);
    QStringList out;
    bool sections = false;
    for (qsizetype i = 0; i < text.lineCount(); ++i) {
        const QByteArrayView line = text.line(i);
        sections = sections || IsHeaderLike(line);
        if (i + 1 >= cut.line && !line.isEmpty())
            out.append(keptLine(static_cast<int>(i + 1), line, sections && !IsSkippedLine(line)));
    }
    return out;
}

} // namespace

LoadedBank BankFromFaq(const QByteArray &bytes)
{
    LoadedBank out;
    const FaqText text = FaqText::fromBytes(bytes);
    qsizetype first = 0;
    for (; first < text.lineCount() && !IsHeaderLike(text.line(first)); ++first) {
        if (!text.line(first).isEmpty())
            out.bank.notes.append(cp1251::decode(text.line(first)));
    }
    const BankDamage damage = FindBankDamage(bytes, text);
    out.damage = damage.problems;
    out.isBank = bytes.isEmpty() || HoldsALevel(text);
    // A broken header ("[5", "[99]"), the questions under a repeated header, a line cut off short:
    // what a teacher wrote stays, as a note that says where it stood, rather than going with the
    // next save.
    const QStringList past = linesPastNul(bytes);
    for (int line : damage.unreadLines) {
        // A line a NUL cuts is given whole with the lines past it.
        if (!past.isEmpty() && line == damage.cutLine)
            continue;
        const QByteArrayView raw = text.line(line - 1);
        out.bank.notes.append(keptLine(line, raw, !IsSkippedLine(raw)));
        ++out.keptAsNotes;
    }
    out.bank.notes += past;
    out.keptAsNotes += static_cast<int>(past.size());
    const char *cutOff = damage.cutLine > 0 ? text.line(damage.cutLine - 1).data() : nullptr;
    int rest = -static_cast<int>(damage.unreadLines.size());
    for (qsizetype i = first; i < text.lineCount(); ++i)
        rest += IsHeaderLike(text.line(i)) ? 0 : 1;
    // The levels are independent: a large bank is split and decoded on two cores at once.
    const auto readLevels = [&](int from, int to) {
        for (int level = from; level <= to; ++level) {
            auto &questions = out.bank.levels[static_cast<size_t>(level)];
            const std::vector<QByteArrayView> lines = text.section(level);
            questions.reserve(static_cast<qsizetype>(lines.size()));
            for (QByteArrayView line : lines) {
                if (line.data() != cutOff)
                    questions.append(scrambledFields(line));
            }
        }
    };
    constexpr qsizetype kWorthASecondCore = 1 << 20;
    if (bytes.size() >= kWorthASecondCore && std::thread::hardware_concurrency() > 1) {
        std::jthread upper(readLevels, kBankLevels / 2 + 1, kBankLevels);
        readLevels(1, kBankLevels / 2);
    } else {
        readLevels(1, kBankLevels);
    }
    if (rest > out.bank.total())
        out.warnings.append(linesLeftOut(rest - out.bank.total()));
    return out;
}

LoadedBank BankFromPlainText(const QByteArray &bytes)
{
    LoadedBank out;
    int level = -1; // -1 before the first header, 0 under a header that names no level
    for (const PlainLine &line : DecodePlainText(bytes).lines) {
        const PlainLineKind kind = KindOfPlainLine(line.text);
        if (kind == PlainLineKind::Blank)
            continue;
        if (kind == PlainLineKind::Header)
            level = PlainHeaderLevel(line.text);
        if (kind == PlainLineKind::Header && level == 0) {
            out.bank.notes.append(QStringLiteral("строка %1: %2").arg(line.number).arg(line.text));
            ++out.keptAsNotes;
        } else if (kind == PlainLineKind::Header) {
            continue;
        } else if (level < 0) {
            out.bank.notes.append(line.text);
        } else if (level == 0) {
            // Under a header that names no level: kept where the teacher sees it, not dropped.
            out.bank.notes.append(QStringLiteral("строка %1: %2").arg(line.number).arg(line.text));
            ++out.keptAsNotes;
        } else {
            out.bank.levels[static_cast<size_t>(level)].append(SplitQuestionLine(line.text));
        }
    }
    if (out.keptAsNotes > 0)
        out.warnings.append(QStringLiteral("Заголовки, не обозначающие уровень 1 … 15, и строки под ними (%1) перенесены "
                                           "в заметки с их номерами.").arg(out.keptAsNotes));
    return out;
}

DamageReport DescribeDamage(const QString &fileName, const LoadedBank &read)
{
    if (read.damage.empty())
        return {};
    constexpr int kShown = 12;
    const QStringList lines = FormatDiagnostics(fileName, read.damage).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList empty;
    for (int level = 1; level <= kBankLevels; ++level) {
        if (read.bank.levels[static_cast<size_t>(level)].isEmpty())
            empty.append(QString::number(level));
    }
    QStringList text{QStringLiteral("Вопросник «%1» повреждён: игра читает его не весь.\n").arg(fileName)};
    text += lines.mid(0, kShown);
    if (lines.size() > kShown)
        text.append(QStringLiteral("… и ещё %1 (см. подробности)").arg(lines.size() - kShown));
    text.append(QString());
    text += read.warnings;
    if (!empty.isEmpty())
        text.append(QStringLiteral("Без вопросов остались уровни: %1.").arg(empty.join(QStringLiteral(", "))));
    if (read.keptAsNotes > 0)
        text.append(QStringLiteral("Строки, которые мастерская не может поместить в уровень (%1), перенесены в заметки "
                                   "с их номерами.").arg(read.keptAsNotes));
    text.append(QStringLiteral("При сохранении исходный файл останется рядом копией."));
    return {text.join(QLatin1Char('\n')), lines.size() > kShown ? lines.join(QLatin1Char('\n')) : QString()};
}

bool IsFaqPath(const QString &path)
{
    return path.endsWith(QStringLiteral(".faq"), Qt::CaseInsensitive);
}

Result<LoadedBank> ReadBank(const QString &path)
{
    const auto bytes = ReadInputFile(path);
    if (!bytes.ok())
        return Result<LoadedBank>::failure(bytes.error);
    if (!IsFaqPath(path)) {
        LoadedBank text = BankFromPlainText(bytes.value);
        text.digest = BankDigest(bytes.value);
        return Result<LoadedBank>::success(std::move(text));
    }
    LoadedBank read = BankFromFaq(bytes.value);
    read.digest = BankDigest(bytes.value);
    if (!read.isBank)
        return Result<LoadedBank>::failure(QStringLiteral("Файл «%1» — это не вопросник: в нём нет ни одного уровня "
                                                          "[1] … [15]. Открыт он не будет.").arg(QFileInfo(path).fileName()));
    return Result<LoadedBank>::success(std::move(read));
}

namespace {

// The bank packed by the bank tool's packer, or every line it refuses.
Result<QByteArray> PackEditorBank(const QString &path, const EditorBank &bank)
{
    PackOutcome packed = PackBank(DecodeUtf8Lines(BankText(bank).toUtf8()));
    if (packed.ok())
        return Result<QByteArray>::success(std::move(packed.bank));
    Diagnostics errors;
    for (const Diagnostic &d : packed.diagnostics) {
        if (d.severity == Diagnostic::Severity::Error)
            errors.push_back(d);
    }
    return Result<QByteArray>::failure(QStringLiteral("Вопросник не записан:\n") + FormatDiagnostics(path, errors));
}

} // namespace

Result<QString> KeepDamagedCopy(const QString &path)
{
    const auto bytes = ReadInputFile(path);
    if (!bytes.ok())
        return Result<QString>::failure(bytes.error);
    return KeepCopyBeside(path, bytes.value, QStringLiteral("повреждённый"));
}

Result<QString> SaveFaqCopy(const QString &path, const QString &label, const EditorBank &bank)
{
    const auto packed = PackEditorBank(path, bank);
    if (!packed.ok())
        return Result<QString>::failure(packed.error);
    return KeepCopyBeside(path, packed.value, label);
}

QByteArray BankDigest(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QString BankText(const EditorBank &bank)
{
    QString text;
    for (const QString &note : bank.notes)
        text += note + QLatin1Char('\n');
    for (int level = 1; level <= kBankLevels; ++level) {
        text += QStringLiteral("[%1]\n").arg(level);
        for (const QuestionFields &q : bank.levels[static_cast<size_t>(level)])
            text += QuestionLine(q) + QLatin1Char('\n');
    }
    return text;
}

Status SaveFaq(const QString &path, const EditorBank &bank)
{
    return SaveFaqOver(path, bank, std::nullopt).status;
}

SaveOutcome SaveFaqOver(const QString &path, const EditorBank &bank, const std::optional<QByteArray> &readDigest)
{
    SaveOutcome out;
    const auto packed = PackEditorBank(path, bank);
    if (!packed.ok()) {
        out.status = Status::failure(packed.error);
        return out;
    }
    // Compared under the lock that the bank tool and every workbench write under, so that
    // nothing written by another between the comparison and the write is lost.
    const Status s = ReplaceFileLocked(path, [&](const std::optional<QByteArray> &current) {
        out.changedOnDisk = readDigest && (!current || BankDigest(*current) != *readDigest);
        return Result<std::optional<QByteArray>>::success(out.changedOnDisk ? std::nullopt : std::optional(packed.value));
    });
    if (!s.ok())
        out.status = Status::failure(QStringLiteral("Не удаётся записать файл «%1»: %2").arg(path, s.error));
    else if (!out.changedOnDisk)
        out.digest = BankDigest(packed.value);
    return out;
}

Status ExportPlainText(const QString &path, const EditorBank &bank)
{
    return WriteOutputFile(path, BankText(bank).toUtf8());
}
