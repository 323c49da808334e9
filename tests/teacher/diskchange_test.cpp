// A bank changed on disk while it is open: by a second workbench on the same file, by the bank
// tool's import. Saving never overwrites that unasked; the safe answer keeps both.

#include "teachertest_window.h"
#include "testutil.h"
#include "toolstest.h"

using teachertest::fullBank;
using testutil::readBytes;

namespace {

enum class Answer { Copy, Reload, Overwrite, Cancel };

struct Expected {
    Answer answer;
    std::optional<int> chosen;    ///< the prompt's answer: its index, nothing for «Отмена»
    const char *inFile;           ///< the question 3.1 in the file afterwards
    const char *inCopy;           ///< the question 3.1 in «lesson (мои правки).faq», or nullptr for no copy
    const char *inWindow;         ///< the question 3.1 the second window shows afterwards
    bool modifiedAfter;
};

void PrintTo(const Expected &e, std::ostream *os)
{
    static const char *const names[] = {"copy", "reload", "overwrite", "cancel"};
    *os << names[static_cast<int>(e.answer)];
}

class TwoWorkbenches : public WindowTest, public ::testing::WithParamInterface<Expected>
{
protected:
    void saveByKeys(TeacherWindow *w)
    {
        QApplication::setActiveWindow(w);
        QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    }
    QString question31(const QString &file) const
    {
        const auto read = ReadBank(file);
        return read.ok() ? read.value.bank.levels[3].value(0).question : read.error;
    }

    FakePrompts secondPrompts;
};

} // namespace

TEST_P(TwoWorkbenches, TheSecondSaveAsksAndKeepsBothByDefault)
{
    const Expected e = GetParam();
    const QString path = openSaved(fullBank(1));
    TeacherWindow second(folder, &secondPrompts);
    second.show();
    ASSERT_TRUE(second.openBank(path));
    second.document()->setField(3, 0, 0, QStringLiteral("Правка второй?"));
    doc().setField(3, 0, 0, QStringLiteral("Правка первой?"));
    saveByKeys(window.get());
    secondPrompts.chooseAnswer = e.chosen;
    saveByKeys(&second);

    EXPECT_TRUE(secondPrompts.asked.contains(QStringLiteral("Вопросник изменён на диске")));
    EXPECT_EQ(question31(path), QString::fromUtf8(e.inFile));
    const QString copy = folder + QStringLiteral("lesson (мои правки).faq");
    if (e.inCopy) {
        EXPECT_EQ(question31(copy), QString::fromUtf8(e.inCopy));
        EXPECT_EQ(second.bankPath(), copy);
    } else {
        EXPECT_FALSE(QFileInfo::exists(copy));
        EXPECT_EQ(second.bankPath(), path);
    }
    EXPECT_EQ(second.document()->question(3, 0).question, QString::fromUtf8(e.inWindow));
    EXPECT_EQ(second.isModified(), e.modifiedAfter);
}

namespace {

std::string answerName(const ::testing::TestParamInfo<Expected> &info)
{
    static const char *const names[] = {"Copy", "Reload", "Overwrite", "Cancel"};
    return names[static_cast<int>(info.param.answer)];
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    EachAnswer, TwoWorkbenches,
    ::testing::Values(Expected{Answer::Copy, 0, "Правка первой?", "Правка второй?", "Правка второй?", false},
                      Expected{Answer::Reload, 1, "Правка первой?", nullptr, "Правка первой?", false},
                      Expected{Answer::Overwrite, 2, "Правка второй?", nullptr, "Правка второй?", false},
                      Expected{Answer::Cancel, std::nullopt, "Правка первой?", nullptr, "Правка второй?", true}),
    answerName);

TEST_F(WindowTest, QuestionsImportedByTheBankToolWhileOpenAreNotLostOnSaving)
{
    const QString path = openSaved(fullBank(1));
    doc().setField(4, 0, 0, QStringLiteral("Правка?"));
    testutil::writeBytes(folder + QStringLiteral("more.gift"), "Новый вопрос? {=да ~нет ~может быть ~не знаю}\n"
                                                             "Ещё вопрос? {=один ~два ~три ~четыре}\n");
    const toolstest::ToolRun run = toolstest::runTool(
        QStringLiteral("tallory-bank"), {QStringLiteral("import"), QStringLiteral("more.gift"), QStringLiteral("lesson.faq"),
                                         QStringLiteral("--level"), QStringLiteral("2"), QStringLiteral("--append")}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray imported = readBytes(path);
    ASSERT_EQ(ReadBank(path).value.bank.levels[2].size(), 3);
    key(Qt::Key_S, Qt::ControlModifier); // Enter on the box: the safe answer
    EXPECT_EQ(readBytes(path), imported);
    EXPECT_EQ(ReadBank(folder + QStringLiteral("lesson (мои правки).faq")).value.bank.levels[4].value(0).question,
              QStringLiteral("Правка?"));
}

TEST_F(WindowTest, ABankChangedOnDiskIsReadAgainWhenItHasNoEditsAndMarkedWhenItHas)
{
    const QString path = openSaved(fullBank(1));
    EXPECT_TRUE(SaveFaq(path, fullBank(2)).ok());
    EXPECT_TRUE(QTest::qWaitFor([this] { return doc().count(5) == 2; }, 10000)) << "not read again";
    EXPECT_FALSE(window->isModified());
    doc().setField(3, 0, 0, QStringLiteral("Правка?"));
    EXPECT_TRUE(SaveFaq(path, fullBank(3)).ok());
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->windowTitle().contains(QStringLiteral("изменён на диске")); }, 10000))
        << window->windowTitle().toStdString();
    EXPECT_EQ(doc().count(5), 2);
    EXPECT_EQ(doc().question(3, 0).question, QStringLiteral("Правка?"));
}
