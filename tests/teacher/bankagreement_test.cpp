// The packer, the plain-text reader and the workbench's document each meet a teacher's lines;
// on every awkward line they must read the same thing, or the editor would show a bank that its
// own save, or tallory-bank pack, reads otherwise.

#include "bankcheck.h"
#include "bankdocument.h"
#include "bankfile.h"
#include "bankpacker.h"
#include "plaintext.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace std::literals;

namespace {

enum class Seen { Blank, Header, Note, BadNote };

struct AwkwardLine {
    std::u16string_view text;
    Seen before;            ///< what it is before the first header
    bool refusedAsQuestion; ///< under a level, a question line the packer refuses
};

const AwkwardLine kLines[] = {
    {u"Алгебра, 7 класс"sv, Seen::Note, true},
    {u"[x]"sv, Seen::Header, false},
    {u"  [2]  "sv, Seen::Header, false},
    {u"[16]"sv, Seen::Header, false},
    {u"[1] |"sv, Seen::Note, true},
    {u"[1]|a|b|c|d|"sv, Seen::BadNote, false},
    {u" [a|b] "sv, Seen::Note, true},
    {u"|||||"sv, Seen::BadNote, false},
    {u"   "sv, Seen::Blank, false},
    {u"\t"sv, Seen::Blank, false},
    {u"до\u0000после"sv, Seen::BadNote, true},
    {u"ёлка\u00A0"sv, Seen::Note, true},
    {u"смайлик \U0001F600"sv, Seen::BadNote, true},
};

const QString kQuestion = QStringLiteral("Вопрос|Да|Нет|Не знаю|Может быть|");

QString textOf(const AwkwardLine &l)
{
    return QString::fromUtf16(l.text.data(), static_cast<qsizetype>(l.text.size()));
}

bool hasErrorOnLine(const PackOutcome &packed, int line)
{
    for (const Diagnostic &d : packed.diagnostics) {
        if (d.severity == Diagnostic::Severity::Error && d.line == line)
            return true;
    }
    return false;
}

} // namespace

TEST(BankAgreement, PackerReaderAndEditorReadEveryAwkwardLineBeforeTheFirstHeaderAlike)
{
    for (const AwkwardLine &l : kLines) {
        const QString line = textOf(l);
        SCOPED_TRACE(line.toStdString());
        const QByteArray text = (line + QStringLiteral("\n[1]\n") + kQuestion + QLatin1Char('\n')).toUtf8();
        const PackOutcome packed = PackBank(DecodeUtf8Lines(text));
        const LoadedBank read = BankFromPlainText(text);
        BankDocument doc;
        doc.reset(read.bank);
        bool editorFlags = false;
        for (const BankProblem &p : doc.allProblems())
            editorFlags = editorFlags || p.level == 0;

        const bool readAsNote = read.bank.notes.contains(line);
        EXPECT_EQ(readAsNote, l.before == Seen::Note || l.before == Seen::BadNote);
        // Every header of the table is refused: it names no level, or blanks stand around it.
        EXPECT_EQ(hasErrorOnLine(packed, 1), l.before == Seen::BadNote || l.before == Seen::Header);
        // A note the editor holds is flagged exactly when the packer refuses it.
        EXPECT_EQ(editorFlags, l.before == Seen::BadNote);
        if (l.before == Seen::Note) {
            ASSERT_TRUE(packed.ok());
            ASSERT_EQ(CheckBank(packed.bank).notes.size(), 1u);
        }
        // What the editor would save is what the packer takes: its save refuses the same notes.
        const PackOutcome saved = PackBank(DecodeUtf8Lines(BankText(doc.bank()).toUtf8()));
        EXPECT_EQ(saved.ok(), !editorFlags);
    }
}

TEST(BankAgreement, PackerAndReaderPutTheSameLinesUnderALevel)
{
    for (const AwkwardLine &l : kLines) {
        const QString line = textOf(l);
        SCOPED_TRACE(line.toStdString());
        const QByteArray text = (QStringLiteral("[1]\n") + line + QLatin1Char('\n') + kQuestion + QLatin1Char('\n')).toUtf8();
        const PackOutcome packed = PackBank(DecodeUtf8Lines(text));
        const LoadedBank read = BankFromPlainText(text);
        const bool header = l.before == Seen::Header;
        // A header moves the question after it to its level (or out, when it names none); any
        // other line but a blank is one more question line of level 1 to both.
        const qsizetype expectedRead = l.before == Seen::Blank ? 1 : header ? 0 : 2;
        EXPECT_EQ(read.bank.levels[1].size(), expectedRead);
        const int expectedPacked = l.before == Seen::Blank ? 1 : header ? 0 : l.refusedAsQuestion ? 1 : 2;
        EXPECT_EQ(packed.counts[1], expectedPacked);
        EXPECT_EQ(hasErrorOnLine(packed, 2), header || l.refusedAsQuestion);
        if (line.trimmed() == u"[2]") {
            EXPECT_EQ(read.bank.levels[2].size(), 1);
            EXPECT_EQ(packed.counts[2], 1);
        }
    }
}
