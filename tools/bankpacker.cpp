#include "bankpacker.h"

#include "cp1251.h"
#include "faq.h"

#include <numeric>

namespace {

const char *const kFieldNames[kQuestionSeparators] = {
    "вопрос", "верный ответ", "первый неверный ответ", "второй неверный ответ", "третий неверный ответ",
};

// The Windows-1251 bytes of a line, and the characters that keep it from being stored.
struct EncodedLine {
    QByteArray bytes;
    QStringList outside;  // not in the code page
    QStringList breaking; // scramble to a NUL or a line break
    bool nul = false;     // a NUL, which ends a bank's text and a question's alike
};

// Sorts the encoded byte of the character at text[at] into the line or into what keeps it from
// being stored.
void takeByte(EncodedLine &out, char byte, const QString &text, qsizetype at, bool scrambled)
{
    if (byte == '\0') {
        out.nul = true;
    } else if (scrambled && ScramblesToBreak(static_cast<unsigned char>(byte))) {
        const QString ch = text.sliced(at, 1);
        if (!out.breaking.contains(ch))
            out.breaking.append(ch);
    } else {
        out.bytes.append(byte);
    }
}

// scrambled: whether the line is stored scrambled, where some plain characters break it.
EncodedLine encodeLine(const QString &text, bool scrambled)
{
    EncodedLine out;
    // One converter for the whole line: opening one for every character made packing a large
    // bank slow. Only a line that does not fit the code page is gone through character by character.
    const auto whole = cp1251::encode(text);
    if (whole && whole->size() == text.size()) {
        for (qsizetype i = 0; i < text.size(); ++i)
            takeByte(out, whole->at(i), text, i, scrambled);
        return out;
    }
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        const auto byte = cp1251::encode(ch);
        if (!byte || byte->size() != 1) {
            if (!out.outside.contains(ch))
                out.outside.append(ch);
        } else {
            takeByte(out, byte->at(0), text, i, scrambled);
        }
        i += len;
    }
    return out;
}

bool looksLikeHeader(const QString &trimmed)
{
    return trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))
           && !trimmed.contains(QLatin1Char('|'));
}

class Packer
{
public:
    PackOutcome run(const PlainText &text);

private:
    void take(const PlainLine &line);
    void header(const PlainLine &line, const QString &trimmed);
    void question(const PlainLine &line);
    void note(const PlainLine &line);
    bool checkSeparators(const PlainLine &line);
    bool checkCharacters(const PlainLine &line, const EncodedLine &encoded);
    bool checkEnds(const PlainLine &line, const QByteArray &bytes);
    void warnEmptyFields(const PlainLine &line);
    void warnEmptyLevels();
    void error(int line, const QString &text) { m_out.diagnostics.push_back({Diagnostic::Severity::Error, line, text}); }
    void warning(int line, const QString &text) { m_out.diagnostics.push_back({Diagnostic::Severity::Warning, line, text}); }

    PackOutcome m_out;
    int m_level = -1; // -1 before the first header, 0 after a header that names no level
    std::array<int, kBankLevels + 1> m_headerLine{};
    std::array<int, kBankLevels + 1> m_lines{}; // question lines under each level, refused ones too
};

PackOutcome Packer::run(const PlainText &text)
{
    for (const PlainLine &line : text.lines)
        take(line);
    warnEmptyLevels();
    if (!m_out.ok())
        m_out.bank.clear();
    return std::move(m_out);
}

void Packer::take(const PlainLine &line)
{
    if (IsBlankLine(line.text))
        return;
    const QString trimmed = line.text.trimmed();
    if (looksLikeHeader(trimmed))
        header(line, trimmed);
    else if (m_level < 0)
        note(line);
    else
        question(line);
}

void Packer::header(const PlainLine &line, const QString &trimmed)
{
    const int level = HeaderLevel(trimmed.toUtf8());
    m_level = level;
    if (level == 0) {
        error(line.number, QStringLiteral("заголовок «%1» не обозначает уровень: уровни обозначаются "
                                          "[1] … [15], без нулей впереди").arg(trimmed));
        return;
    }
    if (trimmed != line.text)
        error(line.number, QStringLiteral("вокруг заголовка «%1» есть пробелы: заголовок должен занимать "
                                          "строку целиком").arg(trimmed));
    if (m_headerLine[level] != 0) {
        error(line.number, QStringLiteral("уровень %1 уже начат в строке %2: у уровня может быть только "
                                          "один заголовок").arg(level).arg(m_headerLine[level]));
        return;
    }
    m_headerLine[level] = line.number;
    m_out.bank.append(trimmed.toUtf8()).append("\r\n");
}

void Packer::question(const PlainLine &line)
{
    if (m_level > 0)
        ++m_lines[static_cast<size_t>(m_level)];
    const EncodedLine encoded = encodeLine(line.text, true);
    bool storable = checkSeparators(line);
    storable = checkCharacters(line, encoded) && storable;
    if (encoded.outside.isEmpty() && encoded.breaking.isEmpty() && !encoded.nul)
        storable = checkEnds(line, encoded.bytes) && storable;
    if (!storable)
        return;
    warnEmptyFields(line);
    m_out.bank.append(ScrambleText(encoded.bytes)).append("\r\n");
    if (m_level > 0)
        ++m_out.counts[static_cast<size_t>(m_level)];
}

// A title or notes before the first header: the game never reads them, so they are stored plain
// and come back on unpacking. Only a line the game would take for a header cannot be one.
void Packer::note(const PlainLine &line)
{
    const EncodedLine encoded = encodeLine(line.text, false);
    bool storable = checkCharacters(line, encoded);
    if (line.text.count(QLatin1Char('|')) == kQuestionSeparators) {
        error(line.number, QStringLiteral("вопрос стоит до первого заголовка уровня: вопросы пишутся "
                                          "после заголовков [1] … [15]"));
        storable = false;
    }
    if (IsHeaderLike(encoded.bytes)) {
        error(line.number, QStringLiteral("строка до первого заголовка начинается с «[» и кончается на «]»: "
                                          "игра примет её за заголовок"));
        storable = false;
    }
    if (storable)
        m_out.bank.append(encoded.bytes).append("\r\n");
}

bool Packer::checkSeparators(const PlainLine &line)
{
    const int separators = static_cast<int>(line.text.count(QLatin1Char('|')));
    if (separators == kQuestionSeparators)
        return true;
    QString text = QStringLiteral("в строке %1 «|», а нужно ровно пять: "
                                  "вопрос|верный ответ|неверный|неверный|неверный|рисунок")
                       .arg(RussianCount(separators, QStringLiteral("знак"), QStringLiteral("знака"),
                                         QStringLiteral("знаков")));
    if (separators > kQuestionSeparators)
        text += QStringLiteral(" (знак «|» внутри поля недопустим)");
    error(line.number, text);
    return false;
}

bool Packer::checkCharacters(const PlainLine &line, const EncodedLine &encoded)
{
    for (const QString &ch : encoded.outside)
        error(line.number, QStringLiteral("символ %1 не входит в кодировку Windows-1251")
                               .arg(DescribeCharacter(ch)));
    for (const QString &ch : encoded.breaking)
        error(line.number, QStringLiteral("символ %1 нельзя сохранить в вопроснике: зашифрованный, "
                                          "он обрывает строку").arg(DescribeCharacter(ch)));
    if (encoded.nul)
        error(line.number, QStringLiteral("символ U+0000 (NUL) недопустим: игра обрывает на нём текст"));
    return encoded.outside.isEmpty() && encoded.breaking.isEmpty() && !encoded.nul;
}

bool Packer::checkEnds(const PlainLine &line, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return true;
    const QByteArray scrambled = ScrambleText(bytes);
    bool ok = true;
    if (scrambled.front() == '[') {
        error(line.number, QStringLiteral("строка начинается с «%1»: зашифрованная, она начнётся с «[», "
                                          "и игра её пропустит").arg(cp1251::decode(bytes.first(1))));
        ok = false;
    }
    if (scrambled.back() == ']') {
        error(line.number, QStringLiteral("строка кончается на «%1»: зашифрованная, она кончится на «]», "
                                          "и игра её пропустит").arg(cp1251::decode(bytes.last(1))));
        ok = false;
    }
    return ok;
}

void Packer::warnEmptyFields(const PlainLine &line)
{
    const QStringList fields = line.text.split(QLatin1Char('|'));
    for (int i = 0; i < kQuestionSeparators; ++i) {
        if (fields[i].trimmed().isEmpty())
            warning(line.number, QStringLiteral("пустое поле: %1").arg(QString::fromUtf8(kFieldNames[i])));
    }
}

void Packer::warnEmptyLevels()
{
    QStringList missing;
    for (int level = 1; level <= kBankLevels; ++level) {
        const auto at = static_cast<size_t>(level);
        if (m_headerLine[at] == 0)
            missing.append(QString::number(level));
        else if (m_lines[at] == 0)
            warning(m_headerLine[at], QStringLiteral("в уровне %1 нет вопросов").arg(level));
    }
    if (!missing.isEmpty())
        warning(0, QStringLiteral("в тексте нет уровней %1: в игре на них не будет вопросов")
                       .arg(missing.join(QStringLiteral(", "))));
}

} // namespace

int PackOutcome::total() const
{
    return std::accumulate(counts.begin(), counts.end(), 0);
}

PackOutcome PackBank(const PlainText &text)
{
    return Packer().run(text);
}
