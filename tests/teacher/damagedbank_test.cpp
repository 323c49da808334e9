// A bank the game cannot read whole: opening says what is damaged and where, and saving over it
// keeps the original beside it unless the teacher says otherwise; a file that is no bank is refused.

#include "teachertest_window.h"
#include "testutil.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>

using teachertest::fullBank;
using testutil::readBytes;
using testutil::w;
using testutil::writeBytes;

namespace {

// A playable bank whose text a NUL cuts right before the header of level 8.
QByteArray cutBeforeLevel8(qsizetype *offset)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("whole.faq"));
    EXPECT_TRUE(SaveFaq(path, fullBank(1)).ok());
    QByteArray bytes = readBytes(path);
    *offset = bytes.indexOf("[8]\r\n");
    bytes.insert(*offset, '\0');
    return bytes;
}

} // namespace

class DamagedBank : public WindowTest
{
protected:
    void openByKeys(const QString &file)
    {
        prompts.files = {file};
        key(Qt::Key_O, Qt::ControlModifier);
    }
    QString copyName(int n) const
    {
        return folder + (n == 1 ? QStringLiteral("lesson (повреждённый).faq") : QStringLiteral("lesson (повреждённый %1).faq").arg(n));
    }

    QString path = folder + QStringLiteral("lesson.faq");
};

TEST_F(DamagedBank, ABankCutByANulSaysWhereOnOpening)
{
    qsizetype offset = 0;
    writeBytes(path, cutBeforeLevel8(&offset));
    openByKeys(path);
    ASSERT_EQ(window->bankPath(), path);
    EXPECT_EQ(doc().count(7), 1);
    EXPECT_EQ(doc().count(8), 0);
    ASSERT_EQ(prompts.errors.size(), 1);
    const QString said = prompts.errors[0];
    EXPECT_TRUE(said.contains(QStringLiteral("повреждён"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("текст обрывается на байте %1").arg(offset))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("8, 9, 10, 11, 12, 13, 14, 15"))) << said.toStdString();
}

TEST_F(DamagedBank, SavingOverItKeepsTheOriginalBesideItNeverOverAnEarlierCopy)
{
    qsizetype offset = 0;
    const QByteArray damaged = cutBeforeLevel8(&offset);
    for (int n = 1; n <= 2; ++n) {
        writeBytes(path, damaged);
        openByKeys(path);
        doc().setField(1, 0, 0, QStringLiteral("Правка %1?").arg(n));
        key(Qt::Key_S, Qt::ControlModifier); // levels 8 … 15 are empty: confirmed, then the copy kept
        EXPECT_EQ(readBytes(copyName(n)), damaged) << n;
        EXPECT_FALSE(window->isModified());
        EXPECT_EQ(ReadBank(path).value.bank.levels[1].value(0).question, QStringLiteral("Правка %1?").arg(n));
    }
    EXPECT_EQ(readBytes(copyName(1)), damaged);
    // Saved once over, the file is whole: the next save makes no copy.
    doc().setField(1, 0, 0, QStringLiteral("Ещё?"));
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(QFileInfo::exists(copyName(3)));
}

TEST_F(DamagedBank, TheTeacherMaySaveWithoutACopyOrNotAtAll)
{
    qsizetype offset = 0;
    const QByteArray damaged = cutBeforeLevel8(&offset);
    writeBytes(path, damaged);
    openByKeys(path);
    doc().setField(1, 0, 0, QStringLiteral("Правка?"));
    prompts.chooseAnswer = std::nullopt; // «Отмена»
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readBytes(path), damaged);
    EXPECT_TRUE(window->isModified());
    EXPECT_TRUE(prompts.lastQuestion.contains(QStringLiteral("lesson (повреждённый).faq"))) << prompts.lastQuestion.toStdString();
    prompts.chooseAnswer = 1; // without a copy
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(window->isModified());
    EXPECT_NE(readBytes(path), damaged);
    EXPECT_FALSE(QFileInfo::exists(copyName(1)));
}

TEST_F(DamagedBank, AProgramOrAPictureRenamedFaqIsNoBank)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
    writeBytes(folder + QStringLiteral("picture.faq"), png);
    writeBytes(folder + QStringLiteral("program.faq"), readBytes(QCoreApplication::applicationFilePath()).left(100000));
    for (const char *name : {"picture.faq", "program.faq"}) {
        prompts.errors.clear();
        openByKeys(folder + QLatin1String(name));
        ASSERT_EQ(prompts.errors.size(), 1) << name;
        EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("это не вопросник"))) << prompts.errors[0].toStdString();
        EXPECT_TRUE(doc().notes().isEmpty()) << name;
        EXPECT_TRUE(window->bankPath().isEmpty()) << name;
    }
}

TEST_F(DamagedBank, BrokenHeadersAreListedWithTheirLinesAndKeptAsNotes)
{
    ASSERT_TRUE(SaveFaq(path, fullBank(1)).ok());
    QByteArray bytes = readBytes(path);
    bytes.replace("[5]\r\n", "[5\r\n[5]\r\n");
    bytes.replace("[9]\r\n", "[99]\r\n[9]\r\n");
    writeBytes(path, bytes);
    const QList<QByteArray> lines = bytes.split('\n');
    const auto lineOf = [&lines](const char *text) { return lines.indexOf(QByteArray(text) + '\r') + 1; };
    openByKeys(path);
    ASSERT_EQ(prompts.errors.size(), 1);
    const QString said = prompts.errors[0];
    EXPECT_TRUE(said.contains(QStringLiteral("lesson.faq:%1: строка начинается с «[»").arg(lineOf("[5")))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("lesson.faq:%1: заголовок «[99]»").arg(lineOf("[99]")))) << said.toStdString();
    const QStringList kept{QStringLiteral("строка %1: [5").arg(lineOf("[5")), QStringLiteral("строка %1: [99]").arg(lineOf("[99]"))};
    EXPECT_EQ(doc().notes().mid(1), kept);
    EXPECT_EQ(doc().count(5), 1);
    EXPECT_EQ(doc().count(9), 1);

    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(window->isModified()) << prompts.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(readBytes(copyName(1)), bytes);
    const auto again = ReadBank(path);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.value.bank.notes.mid(1), kept);
    EXPECT_TRUE(again.value.damage.empty());
}

namespace {

// The scrambled line of a question, as the packer stores it.
QByteArray storedLine(const QString &question)
{
    return testutil::xorAd(cp1251::encode(question + QStringLiteral("|да|нет|может быть|не знаю|")).value()) + "\r\n";
}

} // namespace

TEST_F(DamagedBank, QuestionsUnderASecondHeaderAreKeptAsNotesAndSurviveASave)
{
    ASSERT_TRUE(SaveFaq(path, fullBank(1)).ok());
    QByteArray bytes = readBytes(path) + "[1]\r\n";
    for (int n = 1; n <= 3; ++n)
        bytes += storedLine(QStringLiteral("Лишний %1?").arg(n));
    writeBytes(path, bytes);
    const int header = static_cast<int>(bytes.count('\n')) - 3;
    openByKeys(path);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("уровень 1 повторяется"))) << prompts.errors[0].toStdString();
    QStringList kept;
    for (int n = 1; n <= 3; ++n)
        kept.append(QStringLiteral("строка %1: Лишний %2?|да|нет|может быть|не знаю|").arg(header + n).arg(n));
    EXPECT_EQ(doc().notes().mid(1), kept);
    EXPECT_EQ(doc().count(1), 1);

    // Kept in the notes, they need no copy to stay: the box says so, and a save without one keeps them.
    prompts.chooseAnswer = 1;
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(prompts.lastQuestion.contains(QStringLiteral("Строки, которые игра не читала (3), сохранятся")))
        << prompts.lastQuestion.toStdString();
    EXPECT_FALSE(window->isModified()) << prompts.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ReadBank(path).value.bank.notes.mid(1), kept);

    // Taken out of the notes, the box names what the new file will not hold.
    writeBytes(path, bytes);
    openByKeys(path);
    doc().setNotes(doc().notes().mid(0, 2));
    prompts.chooseAnswer = std::nullopt;
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(prompts.lastQuestion.contains(QStringLiteral("не будет строк исходного (2)"))) << prompts.lastQuestion.toStdString();
    EXPECT_TRUE(prompts.lastQuestion.contains(kept[2])) << prompts.lastQuestion.toStdString();
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(DamagedBank, ABankCutOffInsideALineIsDamagedAndTheStumpIsNoQuestion)
{
    ASSERT_TRUE(SaveFaq(path, fullBank(1)).ok());
    const QByteArray whole = readBytes(path);
    const qsizetype level5 = whole.indexOf("[5]\r\n") + 5;
    const QByteArray cut = whole.left(level5 + 8); // inside the scrambled "Вопрос 5.1?|…"
    writeBytes(path, cut);
    openByKeys(path);
    ASSERT_EQ(prompts.errors.size(), 1);
    const QString said = prompts.errors[0];
    EXPECT_TRUE(said.contains(QStringLiteral("обрывается посреди строки"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("5, 6, 7"))) << said.toStdString();
    EXPECT_EQ(doc().count(5), 0);
    EXPECT_EQ(doc().notes().last(), QStringLiteral("строка %1: Вопрос 5").arg(cut.count('\n') + 1));
}

TEST_F(DamagedBank, LinesPastANulAreKeptAsNotes)
{
    qsizetype offset = 0;
    writeBytes(path, cutBeforeLevel8(&offset));
    openByKeys(path);
    const QStringList notes = doc().notes();
    const int header8 = static_cast<int>(readBytes(path).left(offset).count('\n')) + 1;
    EXPECT_TRUE(notes.contains(QStringLiteral("строка %1: [8]").arg(header8))) << notes.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(notes.contains(QStringLiteral("строка %1: Вопрос 15.1?|да|нет|может быть|не знаю|").arg(header8 + 15)))
        << notes.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(doc().count(8), 0);
}
