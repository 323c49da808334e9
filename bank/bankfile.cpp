#include "bankfile.h"

#include "bankcheck.h"
#include "bankpacker.h"
#include "cp1251.h"
#include "faq.h"
#include "plaintext.h"
#include "lockedfile.h"
#include "userfile.h"

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
    // A broken header ("[5", "[99]") is what a teacher typed: it stays, as a note that says where
    // it stood, rather than going with the next save.
    for (int line : damage.unreadLines)
        out.bank.notes.append(QStringLiteral("строка %1: %2").arg(line).arg(cp1251::decode(text.line(line - 1))));
    out.keptAsNotes = static_cast<int>(damage.unreadLines.size());
    int rest = -static_cast<int>(damage.unreadLines.size());
    for (qsizetype i = first; i < text.lineCount(); ++i)
        rest += IsHeaderLike(text.line(i)) ? 0 : 1;
    // The levels are independent: a large bank is split and decoded on two cores at once.
    const auto readLevels = [&](int from, int to) {
        for (int level = from; level <= to; ++level) {
            auto &questions = out.bank.levels[static_cast<size_t>(level)];
            const std::vector<QByteArrayView> lines = text.section(level);
            questions.reserve(static_cast<qsizetype>(lines.size()));
            for (QByteArrayView line : lines)
                questions.append(scrambledFields(line));
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
    int leftOut = 0;
    for (const PlainLine &line : DecodePlainText(bytes).lines) {
        const PlainLineKind kind = KindOfPlainLine(line.text);
        if (kind == PlainLineKind::Blank)
            continue;
        if (kind == PlainLineKind::Header)
            level = PlainHeaderLevel(line.text);
        else if (level < 0)
            out.bank.notes.append(line.text);
        else if (level == 0)
            ++leftOut;
        else
            out.bank.levels[static_cast<size_t>(level)].append(SplitQuestionLine(line.text));
    }
    if (leftOut > 0)
        out.warnings.append(QStringLiteral("Строк под заголовками, не обозначающими уровень 1 … 15, пропущено: %1.").arg(leftOut));
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
    if (!IsFaqPath(path))
        return Result<LoadedBank>::success(BankFromPlainText(bytes.value));
    LoadedBank read = BankFromFaq(bytes.value);
    if (!read.isBank)
        return Result<LoadedBank>::failure(QStringLiteral("Файл «%1» — это не вопросник: в нём нет ни одного уровня "
                                                          "[1] … [15]. Открыт он не будет.").arg(QFileInfo(path).fileName()));
    return Result<LoadedBank>::success(std::move(read));
}

Result<QString> KeepDamagedCopy(const QString &path)
{
    const auto bytes = ReadInputFile(path);
    if (!bytes.ok())
        return Result<QString>::failure(bytes.error);
    const QFileInfo file(path);
    const QString stem = file.path() + QLatin1Char('/') + file.completeBaseName();
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    constexpr int kTries = 1000;
    for (int n = 1; n <= kTries; ++n) {
        const QString copy = stem + (n == 1 ? QStringLiteral(" (повреждённый)") : QStringLiteral(" (повреждённый %1)").arg(n)) + suffix;
        bool taken = false;
        // Under the copy's own lock: a copy that appeared meanwhile is left as it is.
        const Status s = ReplaceFileLocked(copy, [&](const std::optional<QByteArray> &current) {
            taken = current.has_value();
            return Result<std::optional<QByteArray>>::success(taken ? std::nullopt : std::optional(bytes.value));
        });
        if (!s.ok())
            return Result<QString>::failure(QStringLiteral("Не удаётся записать копию «%1»: %2").arg(copy, s.error));
        if (!taken)
            return Result<QString>::success(copy);
    }
    return Result<QString>::failure(QStringLiteral("Рядом с «%1» уже %2 копий: уберите лишние.").arg(path).arg(kTries));
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
    const PackOutcome packed = PackBank(DecodeUtf8Lines(BankText(bank).toUtf8()));
    if (!packed.ok()) {
        Diagnostics errors;
        for (const Diagnostic &d : packed.diagnostics) {
            if (d.severity == Diagnostic::Severity::Error)
                errors.push_back(d);
        }
        return Status::failure(QStringLiteral("Вопросник не записан:\n") + FormatDiagnostics(path, errors));
    }
    return WriteOutputFile(path, packed.bank);
}

Status ExportPlainText(const QString &path, const EditorBank &bank)
{
    return WriteOutputFile(path, BankText(bank).toUtf8());
}
