#pragma once
// Question banks: the raw lines of a bank held in memory (FaqGlobal), the section of one
// level (FaqStr), and the pick of the next question line through the per-level counters.

#include "result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

class RandomSource;

/// The one-byte key that scrambles question lines and result records.
inline constexpr unsigned char kScrambleKey = 0xAD;

/// Whether the game takes a stored line for a section header: it begins with "[" and ends with "]".
inline bool IsHeaderLike(QByteArrayView line)
{
    return !line.isEmpty() && line.front() == '[' && line.back() == ']';
}

/// Whether the game skips a stored line inside a section: it begins with "[" or ends with "]".
inline bool IsSkippedLine(QByteArrayView line)
{
    return !line.isEmpty() && (line.front() == '[' || line.back() == ']');
}

/// Every byte of text XORed with key; applied twice it gives the text back.
QByteArray ScrambleText(QByteArrayView text, unsigned char key = kScrambleKey);

/// The raw lines of one bank, in file order: headers plain, question lines still scrambled.
class FaqText
{
public:
    /// Splits bank bytes into lines (CR, LF, CR LF; LF CR is two line ends). A NUL byte ends the text.
    static FaqText fromBytes(QByteArray bytes);

    qsizetype lineCount() const { return static_cast<qsizetype>(m_lines.size()); }
    QByteArrayView line(qsizetype i) const;
    bool isEmpty() const { return m_lines.empty(); }

    /// The question lines of level's section: the first header equal to "[level]" up to the next
    /// header-like line; lines that begin with "[" or end with "]" are skipped.
    std::vector<QByteArrayView> section(int level) const;

private:
    struct Line {
        qsizetype offset;
        qsizetype length;
        unsigned char flags;
    };
    QByteArray m_bytes;
    std::vector<Line> m_lines;
    std::vector<qsizetype> m_headers; // indexes of header-like lines, in order
};

/// The settings-file key under which a lesson's section names its bank: "Вопросник".
const QByteArray &LessonBankKey();

/// The bank file named by a settings value: the path as it stands, and when it is relative and
/// finds nothing in the current folder, the same name in the program folder. Backslashes are
/// folder separators on every platform. Empty when no file is found.
QString FindBankFile(const QByteArray &configuredPath, const QString &programFolder);

/// Reads a whole bank.
Result<FaqText> LoadBankFile(const QString &path);

/// The next question line of level, unscrambled. faqStr receives the level's section. The
/// level's counter is advanced in the counters store before the line is fetched; an absent,
/// unreadable or negative counter starts at a random line from 0 to 24, one beyond the section
/// starts again at line 0. A level without lines is an error naming the level and bankName.
/// pickedIndex, when given, receives the 0-based position of the line in the level's section.
Result<QByteArray> LoadFaq(const FaqText &faqGlobal, int level, std::vector<QByteArrayView> &faqStr,
                           RandomSource &random, const QString &bankName, int *pickedIndex = nullptr);
