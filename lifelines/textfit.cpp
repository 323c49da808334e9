#include "textfit.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>

namespace {
constexpr int kFar = 100000;
const QChar kEllipsis(0x2026);

/// The room a label needs for the text, measured as a label measures itself.
QSize needed(const QFont &font, const QString &text)
{
    return QFontMetrics(font).boundingRect(QRect(0, 0, kFar, kFar), Qt::AlignLeft | Qt::AlignVCenter, text).size();
}

bool fitsIn(QSize need, QSize box)
{
    return need.width() <= box.width() && need.height() <= box.height();
}

QFont atPixels(QFont font, int pixels)
{
    font.setPixelSize(pixels);
    return font;
}

QStringList wrapParagraph(const QString &paragraph, const QFont &font, int width)
{
    if (paragraph.isEmpty())
        return {QString()};
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << paragraph.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    // A break made here falls after a blank, which would only widen the line it ends.
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        while (lines[i].endsWith(QLatin1Char(' ')))
            lines[i].chop(1);
    }
    return lines;
}

QStringList wrapLines(const QString &text, const QFont &font, int width)
{
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n')))
        lines << wrapParagraph(paragraph, font, width);
    return lines;
}

/// The first lines of the text that the box holds with the last line below them, the cut
/// marked by "…".
QString cutToBox(const QStringList &lines, const QFont &font, QSize box)
{
    const QFontMetrics metrics(font);
    for (qsizetype keep = lines.size() - 1; keep >= 1; --keep) {
        QStringList shown = lines.mid(0, keep);
        QString &last = shown.last();
        while (!last.isEmpty() && metrics.horizontalAdvance(last + kEllipsis) > box.width())
            last.chop(1);
        last += kEllipsis;
        shown << lines.last();
        const QString text = shown.join(QLatin1Char('\n'));
        if (fitsIn(needed(font, text), box))
            return text;
    }
    return lines.last();
}
} // namespace

FittedText FitText(const QString &text, const QFont &font, const QList<QSize> &boxes, int minPixels)
{
    const int largest = QFontInfo(font).pixelSize();
    for (int pixels = largest; pixels >= std::min(minPixels, largest); --pixels) {
        const QFont sized = atPixels(font, pixels);
        for (const QSize box : boxes) {
            const QString laid = wrapLines(text, sized, box.width()).join(QLatin1Char('\n'));
            const QSize need = needed(sized, laid);
            if (fitsIn(need, box))
                return {sized, laid, need, true};
        }
    }
    // Nothing holds it whole: show what the roomiest box can, the beginning and the end.
    const QFont smallest = atPixels(font, std::min(minPixels, largest));
    FittedText best{smallest, QString(), QSize(), false};
    for (const QSize box : boxes) {
        const QString shown = cutToBox(wrapLines(text, smallest, box.width()), smallest, box);
        if (shown.size() > best.text.size())
            best.text = shown;
    }
    best.size = needed(smallest, best.text);
    return best;
}
