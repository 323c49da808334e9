#include "bankunpack.h"

#include "bankformat.h"
#include "cp1251.h"
#include "faq.h"

namespace {

void note(Diagnostics &out, int line, const QString &text)
{
    out.push_back({Diagnostic::Severity::Warning, line, text});
}

// A question line for output: the characters that would break the plain text into other
// lines are shown as U+FFFD.
QString plainQuestion(QByteArrayView scrambled, int line, Diagnostics &out)
{
    QByteArray plain = ScrambleText(scrambled);
    QString text = cp1251::decode(plain);
    bool replaced = false;
    for (QChar &c : text) {
        if (c == QChar(0) || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            c = QChar::ReplacementCharacter;
            replaced = true;
        }
    }
    if (replaced)
        note(out, line, QStringLiteral("в строке есть байт, который после расшифровки становится NUL или "
                                       "переводом строки; он выведен как «\uFFFD»"));
    return text;
}

} // namespace

UnpackOutcome UnpackBank(const QByteArray &fileBytes)
{
    UnpackOutcome out;
    // Past a NUL the game reads nothing, but the lines are still there: they are given all the same,
    // so that the bank tool recovers what the file holds, and the NUL is named where it stood.
    const NulCut cut = FindNulCut(fileBytes);
    QByteArray bytes = fileBytes;
    if (cut.offset >= 0) {
        note(out.diagnostics, cut.line, QStringLiteral("байт NUL на смещении %1 обрывает текст: дальше игра ничего не "
                                                       "читает; байты NUL пропущены, строки после него выведены — "
                                                       "проверьте их").arg(cut.offset));
        bytes.replace('\0', QByteArray());
    }
    const FaqText faq = FaqText::fromBytes(bytes);
    bool headerSeen = false;
    QString text;
    for (qsizetype i = 0; i < faq.lineCount(); ++i) {
        const QByteArrayView line = faq.line(i);
        const int number = static_cast<int>(i + 1);
        if (IsHeaderLike(line)) {
            headerSeen = true;
            text += cp1251::decode(line);
        } else if (!headerSeen) {
            // A title or notes, stored plain by the packer: given back as they stand.
            if (line.isEmpty())
                continue;
            text += cp1251::decode(line);
        } else if (IsSkippedLine(line)) {
            note(out.diagnostics, number, QStringLiteral("строка не выведена: игра пропускает строки, которые "
                                                         "начинаются с «[» или кончаются на «]»"));
            continue;
        } else {
            text += plainQuestion(line, number, out.diagnostics);
        }
        text += QLatin1Char('\n');
    }
    out.text = text.toUtf8();
    return out;
}
