#include "plaintext.h"

#include "cp1251.h"
#include "linescan.h"

#include <QStringDecoder>

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

} // namespace

bool IsValidUtf8(QByteArrayView bytes)
{
    // Stateless: a sequence cut off at the end is an error too, so that a Windows-1251 text ending
    // in one Cyrillic letter is not taken for UTF-8 and that letter lost.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    const QString decoded = decoder(bytes); // the decoder runs only when its result is taken
    return !decoder.hasError();
}

QByteArrayView WithoutBom(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView(kBom)) ? bytes.sliced(3) : bytes;
}

QString DecodePlainBytes(QByteArrayView bytes, bool *utf8)
{
    const bool isUtf8 = IsValidUtf8(bytes);
    if (utf8)
        *utf8 = isUtf8;
    return isUtf8 ? QString::fromUtf8(WithoutBom(bytes)) : cp1251::decode(bytes);
}

QList<PlainLine> SplitPlainLines(QStringView text)
{
    QList<PlainLine> lines;
    const auto *begin = reinterpret_cast<const char16_t *>(text.utf16());
    BasicLineScanner<char16_t> scan(begin, begin + text.size());
    BasicLineSpan<char16_t> span;
    int number = 0;
    while (scan.next(span))
        lines.append(PlainLine{++number, QString(reinterpret_cast<const QChar *>(span.begin), span.length)});
    return lines;
}

PlainText DecodeUtf8Lines(QByteArrayView bytes)
{
    return PlainText{SplitPlainLines(QString::fromUtf8(WithoutBom(bytes))), true};
}

PlainText DecodePlainText(QByteArrayView bytes)
{
    PlainText text;
    const QString decoded = DecodePlainBytes(bytes, &text.utf8);
    text.lines = SplitPlainLines(decoded);
    return text;
}

QStringList UnencodableCharacters(const QString &text)
{
    QStringList found;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        if (!found.contains(ch) && !cp1251::encode(ch))
            found.append(ch);
        i += len;
    }
    return found;
}
