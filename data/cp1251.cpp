#include "cp1251.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <vector>

namespace cp1251 {
namespace {

constexpr const char *kCodec = "windows-1251";

// The characters of the 256 bytes, decoded at once: opening a converter a byte (or a line) took
// longer than all the rest of reading the settings as the program starts, or a large bank.
const std::array<char16_t, 256> &charTable()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = static_cast<char>(b);
        QStringDecoder dec(kCodec);
        const QString text = dec(bytes);
        for (int b = 0; b < 256; ++b)
            t[static_cast<size_t>(b)] = text.size() == 256 ? text[b].unicode() : char16_t(b);
        return t;
    }();
    return table;
}

// From character to byte; 0 for "none" above 0x7F. Only a character that encodes back to its
// byte is in the code page (0x98 is not).
const std::vector<unsigned char> &byteTable()
{
    static const std::vector<unsigned char> table = [] {
        std::vector<unsigned char> t(0x10000, 0);
        for (int b = 0x80; b < 0x100; ++b) {
            const QByteArray byte(1, static_cast<char>(b));
            const char16_t c = charTable()[static_cast<size_t>(b)];
            if (c >= 0x80 && encode(QString(QChar(c))) == std::optional<QByteArray>(byte))
                t[c] = static_cast<unsigned char>(b);
        }
        return t;
    }();
    return table;
}

// The case table is derived once from Qt's Unicode rules rather than typed in by hand,
// so that letters such as Ё, Ў and Ї follow the same rule as the rest of the program.
const std::array<unsigned char, 256> &upperTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        // A letter's capital is looked up among the decoded bytes; a byte whose capital is not
        // among them stays as it is.
        const auto &chars = charTable();
        const QString letters(reinterpret_cast<const QChar *>(chars.data()), 256);
        for (int b = 0; b < 256; ++b) {
            t[b] = static_cast<unsigned char>(b);
            const QString up = QString(letters[b]).toUpper();
            const qsizetype at = up.size() == 1 && up[0] != QChar::ReplacementCharacter ? letters.indexOf(up[0]) : -1;
            if (at >= 0)
                t[b] = static_cast<unsigned char>(at);
        }
        return t;
    }();
    return table;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    QStringDecoder dec(kCodec);
    return dec(bytes);
}

std::optional<QByteArray> encode(const QString &text)
{
    QStringEncoder enc(kCodec);
    QByteArray out = enc(text);
    if (enc.hasError())
        return std::nullopt;
    return out;
}

char16_t charOf(unsigned char byte)
{
    return charTable()[byte];
}

std::optional<unsigned char> byteOf(char16_t c)
{
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    const unsigned char b = byteTable()[c];
    return b != 0 ? std::optional<unsigned char>(b) : std::nullopt;
}

unsigned char upperByte(unsigned char byte)
{
    return upperTable()[byte];
}

QByteArray upper(QByteArrayView bytes)
{
    QByteArray out(bytes.size(), Qt::Uninitialized);
    const auto &t = upperTable();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<char>(t[static_cast<unsigned char>(bytes[i])]);
    return out;
}

bool equalsNoCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    const auto &t = upperTable();
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (t[static_cast<unsigned char>(a[i])] != t[static_cast<unsigned char>(b[i])])
            return false;
    }
    return true;
}

QString firstUnencodable(const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        if (!encode(ch))
            return ch;
        i += len;
    }
    return {};
}

} // namespace cp1251

namespace cp1251 {
QByteArray text(const char16_t *utf16)
{
    return encode(QString::fromUtf16(utf16)).value_or(QByteArray());
}
} // namespace cp1251

QString DescribeCharacter(const QString &ch)
{
    const char32_t code = ch.toUcs4().value(0);
    const QString number = QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper();
    QString name;
    if (code == 0x00A0)
        name = QStringLiteral("неразрывный пробел");
    else if (code == 0x00AD)
        name = QStringLiteral("мягкий перенос");
    else if (code == 0xFEFF)
        name = QStringLiteral("метка порядка байтов");
    else if (code < 0x20 || code == 0x7F)
        name = QStringLiteral("управляющий");
    else if (code != ' ' && (QChar::isSpace(code) || !QChar::isPrint(code)))
        name = QStringLiteral("невидимый");
    if (!name.isEmpty())
        return number + QStringLiteral(" (") + name + QLatin1Char(')');
    return QStringLiteral("«") + ch + QStringLiteral("» (") + number + QLatin1Char(')');
}
