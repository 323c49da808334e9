#include "importcommand.h"

#include "diagnostic.h"
#include "importbank.h"
#include "lockedfile.h"
#include "userfile.h"
#include "console.h"

#include <algorithm>
#include <optional>

namespace {

QString questions(int n)
{
    return RussianCount(n, QStringLiteral("вопрос"), QStringLiteral("вопроса"), QStringLiteral("вопросов"));
}

// Each question left out, and what a question taken left behind, as the compilers list their
// warnings: "file:line: предупреждение: …".
QString warnings(const QString &source, const ImportOutcome &imported)
{
    Diagnostics list;
    for (const ImportRejection &r : imported.rejected)
        list.push_back({Diagnostic::Severity::Warning, r.line,
                        QStringLiteral("вопрос «%1» не взят: %2").arg(r.text, r.reason)});
    for (const ImportedQuestion &q : imported.taken) {
        for (const QString &remark : q.remarks)
            list.push_back({Diagnostic::Severity::Warning, q.line,
                            QStringLiteral("вопрос «%1» взят, но %2").arg(q.fields.question, remark)});
    }
    return FormatDiagnostics(source, list);
}

// What the file named for the bank is written as, by its extension: a bank for the game, or the
// plain text of one for a teacher to go on editing.
enum class Target { Bank, Text };

std::optional<Target> targetOf(const QString &path)
{
    if (path.endsWith(QStringLiteral(".faq"), Qt::CaseInsensitive))
        return Target::Bank;
    if (path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        return Target::Text;
    return std::nullopt;
}

// What was written: a new bank, or the questions added to one that was there.
struct Written {
    PackOutcome packed;
    bool appended = false;
    std::array<int, kBankLevels + 1> added{};
    QString copy; ///< where the file replaced was kept
};

QString levelCounts(const Written &written)
{
    QString text;
    for (int level = 1; level <= kBankLevels; ++level) {
        const auto at = static_cast<size_t>(level);
        text += QStringLiteral("Уровень %1: %2").arg(level, 2).arg(questions(written.packed.counts[at]));
        if (written.appended && written.added[at] > 0)
            text += QStringLiteral(" (новых: %1)").arg(written.added[at]);
        text += QLatin1Char('\n');
    }
    return text;
}

QString report(const ImportRequest &request, const ImportOutcome &imported, const Written &written, Target target)
{
    const auto taken = static_cast<int>(imported.taken.size());
    QString text = target == Target::Text
                       ? QStringLiteral("Текст вопросника «%1» записан: %2 из «%3» (%4)")
                             .arg(request.bankPath, questions(written.packed.total()), request.source,
                                  ImportFormatName(imported.format))
                   : written.appended
                       ? QStringLiteral("Вопросник «%1» дополнен: %2 из «%3» (%4)")
                             .arg(request.bankPath, questions(taken), request.source, ImportFormatName(imported.format))
                       : QStringLiteral("Вопросник «%1» записан: %2 из «%3» (%4)")
                             .arg(request.bankPath, questions(written.packed.total()), request.source,
                                  ImportFormatName(imported.format));
    text += imported.rejected.isEmpty() ? QStringLiteral(".") : QStringLiteral(", не взято: %1.").arg(imported.rejected.size());
    text += written.appended ? QStringLiteral(" Теперь в нём %1.\n").arg(questions(written.packed.total())) : QStringLiteral("\n");
    text += levelCounts(written);
    const auto unlevelled = std::count_if(imported.taken.cbegin(), imported.taken.cend(),
                                          [](const ImportedQuestion &q) { return q.level == 0; });
    if (unlevelled > 0)
        text += QStringLiteral("Без своего уровня: %1, помещены в уровень %2 (другой уровень задаёт --level N).\n")
                    .arg(questions(static_cast<int>(unlevelled)))
                    .arg(request.defaultLevel);
    if (!written.appended && !imported.notes.isEmpty())
        text += QStringLiteral("Перед уровнями сохранены заметки: %1.\n").arg(imported.notes.join(QStringLiteral(" / ")));
    if (!written.copy.isEmpty())
        text += QStringLiteral("Прежний файл оставлен рядом копией «%1».\n").arg(written.copy);
    return text;
}

QString refusal(const ImportRequest &request, Target target)
{
    if (target == Target::Text)
        return QStringLiteral("Файл «%1» уже есть и не изменён. Чтобы заменить его вопросами из «%2», повторите команду "
                              "с --replace (прежний файл останется рядом копией).\n")
            .arg(request.bankPath, request.source);
    return QStringLiteral("Вопросник «%1» уже есть и не изменён. Чтобы добавить вопросы к его уровням, повторите "
                          "команду с --append; чтобы заменить его вопросами из «%2» — с --replace (прежний вопросник "
                          "останется рядом копией).\n")
        .arg(request.bankPath, request.source);
}

// A damaged bank is never steered to --replace: the questions the game cannot read are still the
// teacher's, and the workbench is where they are recovered.
QString damageReport(const ImportRequest &request, const Diagnostics &damage)
{
    return FormatDiagnostics(request.bankPath, damage)
           + QStringLiteral("Вопросник «%1» не дополнен и не изменён: игра читает его не целиком (см. выше), а "
                            "записанный заново он потерял бы то, чего игра не читает. Откройте его в мастерской "
                            "учителя: она покажет, что в нём не читается, и при сохранении оставит исходный файл рядом "
                            "копией; затем добавьте вопросы к сохранённому с --append.\n")
                 .arg(request.bankPath);
}

// The file replaced is kept beside itself first, under the workbench's name for a damaged bank.
Status keepReplaced(const ImportRequest &request, const QByteArray &current, bool damaged, Written &written)
{
    const auto kept = KeepCopyBeside(request.bankPath, current, damaged ? QStringLiteral("повреждённый")
                                                                        : QStringLiteral("до замены"));
    if (!kept.ok())
        return Status::failure(QStringLiteral("Файл «%1» не заменён: прежний не удалось оставить копией. %2\n")
                                   .arg(request.bankPath, kept.error));
    written.copy = kept.value;
    return Status::success();
}

// The bytes the bank becomes, decided under the bank's lock from what is there at that moment;
// a refusal leaves the file as it was and sets why.
Result<std::optional<QByteArray>> change(const ImportRequest &request, const ImportOutcome &imported,
                                         const std::optional<QByteArray> &current, Target target, Written &written,
                                         QString &why)
{
    using R = Result<std::optional<QByteArray>>;
    const auto fail = [&](const QString &text) {
        why = text;
        return R::failure(why);
    };
    AppendOutcome appended;
    if (current && target == Target::Bank)
        appended = AppendImported(*current, imported, request.defaultLevel);
    const bool damaged = current && target == Target::Bank && !appended.damage.empty();
    if (current && request.existing != ExistingBank::Replace) {
        if (damaged)
            return fail(damageReport(request, appended.damage));
        if (request.existing == ExistingBank::Refuse)
            return fail(refusal(request, target));
        if (target == Target::Text)
            return fail(QStringLiteral("Файл «%1» не дополнен: добавлять вопросы команда умеет только к вопроснику "
                                       ".faq. Упакуйте текст в вопросник (tallory-bank pack) и повторите импорт в него "
                                       "с --append.\n").arg(request.bankPath));
        if (!appended.ok()) // the packer refused the bank's own lines
            return fail(FormatDiagnostics(request.bankPath, appended.packed.diagnostics));
        written = {std::move(appended.packed), true, appended.added, {}};
        return R::success(written.packed.bank);
    }
    written.packed = PackImported(imported, request.defaultLevel);
    if (!written.packed.ok()) // every question passed the packer's own rules, so this is not expected
        return fail(FormatDiagnostics(request.bankPath, written.packed.diagnostics));
    if (current) {
        if (const Status kept = keepReplaced(request, *current, damaged, written); !kept.ok())
            return fail(kept.error);
    }
    return R::success(target == Target::Text ? ImportedPlainText(imported, request.defaultLevel) : written.packed.bank);
}

} // namespace

int ImportCommand(const ImportRequest &request)
{
    const auto input = ReadInputFile(request.source);
    if (!input.ok()) {
        PrintError(input.error + QLatin1Char('\n'));
        return 1;
    }
    const auto target = targetOf(request.bankPath);
    if (!target) {
        PrintError(QStringLiteral("Файл «%1» не записан: по его имени не видно, что в нём хранить. Вопросник для игры "
                                  "называется *.faq, его текст — *.txt.\n").arg(request.bankPath));
        return 1;
    }
    const ImportOutcome imported = ImportQuestions(input.value, request.format);
    if (imported.taken.isEmpty()) {
        PrintError(warnings(request.source, imported));
        PrintError(QStringLiteral("Вопросник «%1» не записан: в «%2» нет ни одного вопроса, который можно взять (формат %3).\n")
                       .arg(request.bankPath, request.source, ImportFormatName(imported.format)));
        return 1;
    }
    Written written;
    QString why;
    const Status status = ReplaceFileLocked(request.bankPath, [&](const std::optional<QByteArray> &current) {
        return change(request, imported, current, *target, written, why);
    });
    if (!why.isEmpty()) {
        PrintError(why);
        return 1;
    }
    if (!status.ok()) {
        PrintError(status.error + QLatin1Char('\n')); // it names the file and why
        return 1;
    }
    PrintError(warnings(request.source, imported));
    PrintOut(report(request, imported, written, *target));
    return 0;
}
