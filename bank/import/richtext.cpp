#include "richtext.h"

#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace {

// The file name a picture's address ends in: "@@PLUGINFILE@@/kolba.png" is "kolba.png".
QString pictureName(const QString &source)
{
    const QString path = source.section(QLatin1Char('?'), 0, 0);
    const QString name = path.section(QLatin1Char('/'), -1);
    return name.isEmpty() ? source : name;
}

// A bank line has one kind of blank and nothing invisible: a no-break, thin or em space is a
// blank to the reader, and a soft hyphen or a zero-width space is nothing at all.
QString readerText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == QChar::ObjectReplacementCharacter || c.category() == QChar::Other_Format)
            continue;
        out += c.isSpace() ? QChar(QLatin1Char(' ')) : c;
    }
    return out.simplified();
}

} // namespace

QString PlainFromHtml(const QString &html, QStringList &images)
{
    static const QRegularExpression picture(QStringLiteral("<img\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression source(QStringLiteral("\\bsrc\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
                                           QRegularExpression::CaseInsensitiveOption);
    for (auto it = picture.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = source.match(it.next().captured());
        const QString address = m.captured(1) + m.captured(2) + m.captured(3);
        images.append(address.isEmpty() ? QString() : pictureName(address));
    }
    // Qt's own HTML reader decodes every numeric entity and the named ones of HTML 4 (all that
    // Moodle's editors write), and lays out <sub>, <br> and <p> as text the way a reader meets them.
    return readerText(QTextDocumentFragment::fromHtml(html).toPlainText());
}

QString PlainFromMarkdown(const QString &text)
{
    // Emphasis opens before a non-blank and closes after one; underscores only at word edges,
    // so that snake_case stays as written. Strong emphasis goes first: "**" is not two "*".
    static const QRegularExpression markers[] = {
        QRegularExpression(QStringLiteral("\\*\\*(?=\\S)(.+?)(?<=\\S)\\*\\*")),
        QRegularExpression(QStringLiteral("(?<!\\w)__(?=\\S)(.+?)(?<=\\S)__(?!\\w)"), QRegularExpression::UseUnicodePropertiesOption),
        QRegularExpression(QStringLiteral("\\*(?=\\S)(.+?)(?<=\\S)\\*")),
        QRegularExpression(QStringLiteral("(?<!\\w)_(?=\\S)(.+?)(?<=\\S)_(?!\\w)"), QRegularExpression::UseUnicodePropertiesOption),
    };
    QString plain = text;
    for (const QRegularExpression &marker : markers)
        plain.replace(marker, QStringLiteral("\\1"));
    return plain;
}
