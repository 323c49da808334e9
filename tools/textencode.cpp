#include "textencode.h"

#include "cp1251.h"
#include "linescan.h"
#include "plaintext.h"

EncodeOutcome EncodeToCp1251(const QByteArray &utf8)
{
    EncodeOutcome out;
    if (!IsValidUtf8(utf8)) {
        out.diagnostics.push_back({Diagnostic::Severity::Error, 0, QStringLiteral("текст не в кодировке UTF-8")});
        return out;
    }
    const QByteArrayView text = WithoutBom(utf8);
    LineScanner scan(text.data(), text.data() + text.size());
    LineSpan span;
    int number = 0;
    while (scan.next(span)) {
        ++number;
        const QString line = QString::fromUtf8(span.begin, span.length);
        for (const QString &ch : UnencodableCharacters(line))
            out.diagnostics.push_back({Diagnostic::Severity::Error, number,
                                       QStringLiteral("символ %1 не входит в кодировку Windows-1251")
                                           .arg(DescribeCharacter(ch))});
        out.bytes.append(cp1251::encode(line).value_or(QByteArray()));
        if (span.terminator != 0)
            out.bytes.append("\r\n");
    }
    if (!out.ok())
        out.bytes.clear();
    return out;
}
