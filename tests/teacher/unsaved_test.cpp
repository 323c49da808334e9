// Leaving a bank with unsaved edits, by each road out (Ctrl+Q, Ctrl+O, Ctrl+N, closing the
// window): the workbench's own box asks, and the test answers it with the keys a teacher presses.

#include "teachertest_window.h"
#include "testutil.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using teachertest::fullBank;
using testutil::readBytes;

namespace {

// Files come from the test; questions are asked in the real boxes.
class BoxPrompts final : public TeacherPrompts
{
public:
    FakePrompts fake;
    DialogPrompts boxes;

    QString openFile(QWidget *p, const QString &c, const QString &f) override { return fake.openFile(p, c, f); }
    QStringList openFiles(QWidget *p, const QString &c, const QString &f) override { return fake.openFiles(p, c, f); }
    QString saveFile(QWidget *p, const QString &c, const QString &s, const QString &f) override
    {
        return fake.saveFile(p, c, s, f);
    }
    std::optional<QString> askText(QWidget *p, const QString &c, const QString &l, const QString &t) override
    {
        return fake.askText(p, c, l, t);
    }
    std::optional<int> askLevel(QWidget *p, const QString &c, int l) override { return fake.askLevel(p, c, l); }
    bool confirm(QWidget *p, const QString &c, const QString &t) override { return boxes.confirm(p, c, t); }
    std::optional<int> choose(QWidget *p, const QString &c, const QString &t, const QStringList &a) override
    {
        return boxes.choose(p, c, t, a);
    }
    void showError(QWidget *p, const QString &c, const QString &t, const QString &d) override
    {
        fake.showError(p, c, t, d);
    }
    std::optional<ImportPlacement> reviewImport(QWidget *p, const ImportOutcome &o, int l) override
    {
        return fake.reviewImport(p, o, l);
    }
};

enum class Road { Quit, Open, New, Close };

class UnsavedEdits : public ::testing::TestWithParam<Road>
{
protected:
    void SetUp() override
    {
        window = std::make_unique<TeacherWindow>(folder, &prompts);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(SaveFaq(path, fullBank(1)).ok());
        ASSERT_TRUE(window->openBank(path));
        saved = readBytes(path);
        window->document()->setField(3, 0, 0, QStringLiteral("Изменённый вопрос?"));
        ASSERT_TRUE(window->isModified());
    }

    // What the teacher does in the box that comes up next: the box's buttons are noted first.
    void inNextBox(std::function<void(QMessageBox *)> act)
    {
        QTimer::singleShot(0, window.get(), [this, act] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton *b : box->buttons())
                buttons.append(b->text());
            act(box);
        });
    }
    void pressInNextBox(Qt::Key k)
    {
        inNextBox([k](QMessageBox *box) {
            QWidget *focus = QApplication::focusWidget();
            QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, k);
        });
    }

    void leave()
    {
        const auto press = [this](Qt::Key k) { QTest::keyClick(window.get(), k, Qt::ControlModifier); };
        switch (GetParam()) {
        case Road::Quit: press(Qt::Key_Q); break;
        case Road::Open: press(Qt::Key_O); break;
        case Road::New: press(Qt::Key_N); break;
        case Road::Close: window->close(); break;
        }
    }
    QString savedQuestion() const
    {
        const auto read = ReadBank(path);
        return read.ok() ? read.value.bank.levels[3].value(0).question : read.error;
    }
    bool leftTheBank() const
    {
        switch (GetParam()) {
        case Road::Quit:
        case Road::Close: return !window->isVisible();
        case Road::Open: return prompts.fake.asked.contains(QStringLiteral("Открыть вопросник"));
        case Road::New: return window->bankPath().isEmpty() && window->document()->count(3) == 0;
        }
        return false;
    }

    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    QString path = folder + QStringLiteral("lesson.faq");
    QByteArray saved;
    BoxPrompts prompts;
    std::unique_ptr<TeacherWindow> window;
    QStringList buttons;
};

} // namespace

TEST_P(UnsavedEdits, EnterSavesThemAndLeaves)
{
    pressInNextBox(Qt::Key_Return);
    leave();
    buttons.sort(); // in the order of the desktop's style
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Не сохранять"), QStringLiteral("Отмена"), QStringLiteral("Сохранить")}));
    EXPECT_EQ(savedQuestion(), QStringLiteral("Изменённый вопрос?"));
    EXPECT_TRUE(leftTheBank());
    EXPECT_TRUE(prompts.fake.errors.isEmpty()) << prompts.fake.errors.join(QLatin1Char('\n')).toStdString();
}

TEST_P(UnsavedEdits, EscapeKeepsTheBankOpenAndModified)
{
    pressInNextBox(Qt::Key_Escape);
    leave();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_FALSE(leftTheBank());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isModified());
    EXPECT_EQ(window->bankPath(), path);
    EXPECT_EQ(window->document()->question(3, 0).question, QStringLiteral("Изменённый вопрос?"));
}

TEST_P(UnsavedEdits, DontSaveLeavesTheFileAsItWas)
{
    inNextBox([](QMessageBox *box) {
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == QStringLiteral("Не сохранять"))
                QTest::mouseClick(b, Qt::LeftButton);
        }
    });
    leave();
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_TRUE(leftTheBank());
}

namespace {

std::string roadName(const ::testing::TestParamInfo<Road> &info)
{
    static const char *const names[] = {"CtrlQ", "CtrlO", "CtrlN", "CloseWindow"};
    return names[static_cast<int>(info.param)];
}

} // namespace

INSTANTIATE_TEST_SUITE_P(EveryRoadOut, UnsavedEdits, ::testing::Values(Road::Quit, Road::Open, Road::New, Road::Close),
                         roadName);
