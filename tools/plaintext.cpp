#include "plaintext.h"

#include "cp1251.h"
#include "linescan.h"

#include <QStringDecoder>

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

using Decode = QString (*)(QByteArrayView);

QString fromUtf8(QByteArrayView bytes)
{
    return QString::fromUtf8(bytes);
}

PlainText splitLines(QByteArrayView bytes, Decode decode)
{
    PlainText text;
    LineScanner scan(bytes.data(), bytes.data() + bytes.size());
    LineSpan span;
    int number = 0;
    while (scan.next(span))
        text.lines.append(PlainLine{++number, decode(QByteArrayView(span.begin, span.length))});
    return text;
}

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

PlainText DecodeUtf8Lines(QByteArrayView bytes)
{
    return splitLines(WithoutBom(bytes), fromUtf8);
}

PlainText DecodePlainText(QByteArrayView bytes)
{
    if (IsValidUtf8(bytes))
        return DecodeUtf8Lines(bytes);
    PlainText text = splitLines(bytes, cp1251::decode);
    text.utf8 = false;
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

bool IsBlankLine(const QString &text)
{
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    }
    return true;
}
