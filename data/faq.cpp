#include "faq.h"

#include "counters.h"
#include "cp1251.h"
#include "linescan.h"
#include "lockedfile.h"
#include "randomsource.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr unsigned char kBeginsWithBracket = 1;
constexpr unsigned char kEndsWithBracket = 2;
constexpr unsigned char kHeaderLike = kBeginsWithBracket | kEndsWithBracket;
constexpr int kAbsentCounter = 999;
constexpr int kRandomStarts = 25;
} // namespace

QByteArray ScrambleText(QByteArrayView text, unsigned char key)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ key);
    return out;
}

FaqText FaqText::fromBytes(QByteArray bytes)
{
    FaqText faq;
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    faq.m_bytes = std::move(bytes);
    const char *base = faq.m_bytes.constData();
    // Question lines run to about a hundred bytes: sizing the index for lines of 64 spares a
    // large bank a dozen regrowths, each a copy into fresh memory.
    faq.m_lines.reserve(static_cast<size_t>(faq.m_bytes.size() / 64 + 16));
    LineScanner scan(base, base + faq.m_bytes.size());
    LineSpan span;
    // The flags are taken while the line is in cache, so a question's scan never touches the text.
    while (scan.next(span)) {
        const QByteArrayView line(span.begin, span.length);
        unsigned char flags = 0;
        if (IsSkippedLine(line))
            flags = IsHeaderLike(line) ? kHeaderLike : line.front() == '[' ? kBeginsWithBracket : kEndsWithBracket;
        if (flags == kHeaderLike)
            faq.m_headers.push_back(static_cast<qsizetype>(faq.m_lines.size()));
        faq.m_lines.push_back(Line{span.begin - base, span.length, flags});
    }
    return faq;
}

QByteArrayView FaqText::line(qsizetype i) const
{
    const Line &l = m_lines[static_cast<size_t>(i)];
    return QByteArrayView(m_bytes.constData() + l.offset, l.length);
}

std::vector<QByteArrayView> FaqText::section(int level) const
{
    const QByteArray wanted = '[' + QByteArray::number(level) + ']';
    qsizetype first = -1;
    qsizetype end = lineCount();
    for (qsizetype h : m_headers) {
        if (first < 0) {
            if (line(h) == QByteArrayView(wanted))
                first = h + 1;
        } else {
            // Any header-like line ends the section, a repeat of its own header included.
            end = h;
            break;
        }
    }
    std::vector<QByteArrayView> lines;
    if (first < 0)
        return lines;
    lines.reserve(static_cast<size_t>(end - first));
    for (qsizetype i = first; i < end; ++i) {
        if (m_lines[static_cast<size_t>(i)].flags == 0)
            lines.push_back(line(i));
    }
    return lines;
}

const QByteArray &LessonBankKey()
{
    static const QByteArray key = cp1251::text(u"Вопросник");
    return key;
}

QString FindBankFile(const QByteArray &configuredPath, const QString &programFolder)
{
    if (configuredPath.isEmpty())
        return {};
    // The settings file is Windows-1251 text written on Windows: "banks\lesson.faq" must
    // find the same file here, so backslashes are folder separators on every platform.
    QString path = cp1251::decode(configuredPath);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo asGiven(path);
    if (asGiven.isFile())
        return asGiven.absoluteFilePath();
    // A desktop launcher does not start the program in its own folder, so a relative name
    // that finds nothing in the current folder is looked up next to the program as well.
    if (asGiven.isRelative()) {
        const QFileInfo beside(programFolder + path);
        if (beside.isFile())
            return beside.absoluteFilePath();
    }
    return {};
}

Result<FaqText> LoadBankFile(const QString &path)
{
    const auto bytes = ReadWholeFile(path);
    if (!bytes.ok())
        return Result<FaqText>::failure(bytes.error);
    if (!bytes.value)
        return Result<FaqText>::failure(QStringLiteral("Нет файла «%1»").arg(path));
    return Result<FaqText>::success(FaqText::fromBytes(*bytes.value));
}

Result<QByteArray> LoadFaq(const FaqText &faqGlobal, int level, std::vector<QByteArrayView> &faqStr,
                           RandomSource &random, const QString &bankName, int *pickedIndex)
{
    faqStr = faqGlobal.section(level);
    const QByteArray name = QByteArray::number(level);
    auto idx = RegReadInteger(kCounterSection, name, kAbsentCounter);
    if (!idx.ok())
        return Result<QByteArray>::failure(idx.error);
    int index = idx.value;
    if (index == kAbsentCounter) {
        idx = RegReadInteger(kCounterSection, name, random.below(kRandomStarts));
        if (!idx.ok())
            return Result<QByteArray>::failure(idx.error);
        index = idx.value;
    }
    // A counter below 0 can only come from editing the store by hand: it counts as absent.
    if (index < 0)
        index = random.below(kRandomStarts);
    const auto count = static_cast<qsizetype>(faqStr.size());
    if (index > count - 1)
        index = 0;
    const Status written = RegWriteInteger(kCounterSection, name, index + 1);
    if (!written.ok())
        return Result<QByteArray>::failure(written.error);
    if (faqStr.empty())
        return Result<QByteArray>::failure(
            QStringLiteral("В вопроснике «%1» нет вопросов уровня %2.").arg(bankName).arg(level));
    if (pickedIndex)
        *pickedIndex = index;
    return Result<QByteArray>::success(ScrambleText(faqStr[static_cast<size_t>(index)]));
}
