#include "bankfile.h"

#include "bankpacker.h"
#include "cp1251.h"
#include "faq.h"
#include "plaintext.h"
#include "toolio.h"

#include <QStringDecoder>

#include <thread>

namespace {

// Opening a converter per line took longer than everything else in reading a large bank: one
// table of the 256 characters serves every line.
const std::array<char16_t, 256> &cp1251Table()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(b);
        QStringDecoder dec("windows-1251");
        const QString text = dec(all);
        for (int b = 0; b < 256; ++b)
            t[static_cast<size_t>(b)] = text.size() == 256 ? text[b].unicode() : char16_t(b);
        return t;
    }();
    return table;
}

QString decodeUnscrambled(QByteArrayView scrambled)
{
    const auto &table = cp1251Table();
    QString out(scrambled.size(), Qt::Uninitialized);
    QChar *to = out.data();
    for (char c : scrambled)
        *to++ = QChar(table[static_cast<unsigned char>(c) ^ kScrambleKey]);
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
    int rest = 0;
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
        if (IsBlankLine(line.text))
            continue;
        const QString trimmed = line.text.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')) && !trimmed.contains(QLatin1Char('|')))
            level = HeaderLevel(trimmed.toUtf8());
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

bool IsFaqPath(const QString &path)
{
    return path.endsWith(QStringLiteral(".faq"), Qt::CaseInsensitive);
}

Result<LoadedBank> ReadBank(const QString &path)
{
    const auto bytes = ReadInputFile(path);
    if (!bytes.ok())
        return Result<LoadedBank>::failure(bytes.error);
    return Result<LoadedBank>::success(IsFaqPath(path) ? BankFromFaq(bytes.value) : BankFromPlainText(bytes.value));
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
