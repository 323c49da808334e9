// The demo program folder's settings lay the game out on every screen size schools have: the
// window is built from the tallory.ini the build ships, a demo game is started, and what the
// student reads and clicks must lie on the screen without covering each other.

#include "formfixture.h"

#include "gradbtn.h"
#include "inifile.h"
#include "faq.h"
#include "cp1251.h"
#include "layoutprofile.h"

#include <QAction>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTextDocument>
#include <QScrollBar>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const QString kDemoFolder = QStringLiteral(TALLORY_BIN_DIR "/");

// The longest texts the game promises to show whole (README, «Длина вопросов и ответов»): a
// question of 300 characters and answers of 100.
QString ofLength(const QString &sentence, int length)
{
    QString text;
    while (text.size() < length)
        text += sentence + QLatin1Char(' ');
    return text.left(length - 1) + QLatin1Char('?');
}
const QString kLongestQuestion =
    ofLength(QStringLiteral("Какой из перечисленных ниже терминов обозначает перенос свойств одного предмета на другой,"), 300);
const QString kLongestAnswer =
    ofLength(QStringLiteral("Скрытое сравнение, в котором свойства одного предмета переносятся на другой"), 100);

/// The lines a caption takes on a button 2 px in from its ends, broken at blanks as a reader
/// of the screen would see them; the room they need.
QSize captionRoom(const QString &caption, const QFont &font, int width)
{
    QTextLayout layout(caption, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    qreal widest = 0;
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width - 4);
        widest = std::max(widest, line.naturalTextWidth());
        ++lines;
    }
    layout.endLayout();
    return QSize(int(std::ceil(widest)) + 4, lines * QFontMetrics(font).height());
}

/// A widget's place in the window's coordinates: the menu bar above the client area counts.
QRect placeInWindow(const QWidget *widget, const QWidget *window)
{
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

QString describe(const QRect &r)
{
    return QStringLiteral("(%1, %2, %3 x %4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

// A screen, and whether the settings ask for large print.
using DemoScreen = std::tuple<QSize, bool>;

class DemoLayout : public FormFixture, public ::testing::WithParamInterface<DemoScreen>
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        for (const QString &name : {QStringLiteral("tallory.ini"), QStringLiteral("demo.faq")}) {
            QFile::remove(folder + name);
            ASSERT_TRUE(QFile::copy(kDemoFolder + name, folder + name)) << qPrintable(kDemoFolder + name);
        }
        if (large()) {
            ASSERT_TRUE(IniWriteString(folder + QStringLiteral("tallory.ini"), testutil::w(u"настройки"),
                                       testutil::w(u"Крупно"), "1").ok());
        }
    }

    // A long text steps down until it fits: the longest question and answers the game
    // promises to show whole are on screen from the first question.
    void writeLongBank()
    {
        QByteArray bank;
        for (int level = 1; level <= kLevels; ++level) {
            QString line = kLongestQuestion;
            for (int answer = 1; answer <= 4; ++answer)
                line += QLatin1Char('|') + QString::number(answer) + kLongestAnswer.mid(1);
            line += QLatin1Char('|');
            bank += '[' + QByteArray::number(level) + "]\r\n" + ScrambleText(*cp1251::encode(line)) + "\r\n";
        }
        testutil::writeBytes(folder + QStringLiteral("demo.faq"), bank);
    }

    QSize screen() const { return std::get<0>(GetParam()); }
    bool large() const { return std::get<1>(GetParam()); }

    /// The window on this screen with the first demo question on it.
    TForm1 &startDemoGame()
    {
        TForm1 &f = start(screen());
        f.show();
        dialogs.answer(QStringLiteral("ДЕМО"));
        dialogs.answer(QStringLiteral("Иванов И. И."));
        f.N2->trigger();
        return f;
    }
};

TEST_P(DemoLayout, ShippedSettingsHoldAProfileForTheScreen)
{
    const QByteArray settings = testutil::readBytes(folder + QStringLiteral("tallory.ini"));
    EXPECT_TRUE(settings.contains('[' + LayoutProfileName(screen().width(), screen().height()) + ']'));
    // Still the Windows-1251 file the game reads: the lesson section is found by its bytes.
    EXPECT_TRUE(settings.contains(testutil::w(u"[ДЕМО]\r\n")));
}

TEST_P(DemoLayout, QuestionAnswersLadderAndToolbarLieOnScreenApart)
{
    TForm1 &f = startDemoGame();
    ASSERT_EQ(f.Game.CurrentLevel, 1) << qPrintable(timeline.events.join(QLatin1Char('\n')));
    ASSERT_EQ(f.size(), screen());

    std::vector<std::pair<QString, const QWidget *>> parts = {
        {QStringLiteral("toolbar"), f.SpeedBar1}, {QStringLiteral("picture"), f.Image1},
        {QStringLiteral("ladder"), f.Panel3},     {QStringLiteral("question"), f.Memo1},
        {QStringLiteral("status bar"), f.StatusBar1}};
    for (int tag = 1; tag <= 4; ++tag)
        parts.emplace_back(QStringLiteral("answer %1").arg(tag), f.FaqBtn[static_cast<size_t>(tag)]);

    const QRect onScreen(QPoint(0, 0), screen());
    for (size_t i = 0; i < parts.size(); ++i) {
        const QRect a = placeInWindow(parts[i].second, &f);
        EXPECT_TRUE(parts[i].second->isVisible()) << qPrintable(parts[i].first);
        EXPECT_TRUE(onScreen.contains(a)) << qPrintable(parts[i].first + QLatin1Char(' ') + describe(a));
        for (size_t j = i + 1; j < parts.size(); ++j) {
            const QRect b = placeInWindow(parts[j].second, &f);
            EXPECT_FALSE(a.intersects(b)) << qPrintable(parts[i].first + QLatin1Char(' ') + describe(a) + QStringLiteral(" covers ")
                                                       + parts[j].first + QLatin1Char(' ') + describe(b));
        }
    }
}

TEST_P(DemoLayout, LadderRowsAndToolbarItemsStayInTheirBars)
{
    TForm1 &f = startDemoGame();
    const QRect ladder = f.Panel3->contentsRect().translated(f.Panel3->mapTo(&f, QPoint(0, 0)));
    for (int level = 1; level <= kLevels; ++level) {
        const QRect row = placeInWindow(f.Edit[static_cast<size_t>(level)], &f);
        EXPECT_TRUE(ladder.contains(row)) << level << ' ' << qPrintable(describe(row));
    }
    const QRect bar = placeInWindow(f.SpeedBar1, &f);
    const QToolButton *items[] = {f.SL7, f.SL8, f.SL6, f.SL4, f.SL1, f.SL2, f.SL3};
    for (size_t i = 0; i < std::size(items); ++i) {
        const QRect a = placeInWindow(items[i], &f);
        EXPECT_TRUE(bar.contains(a)) << qPrintable(items[i]->objectName());
        for (size_t j = i + 1; j < std::size(items); ++j)
            EXPECT_FALSE(a.intersects(placeInWindow(items[j], &f)))
                << qPrintable(items[i]->objectName() + QLatin1Char(' ') + items[j]->objectName());
    }
}

TEST_P(DemoLayout, LongestQuestionAndAnswersAreReadWhole)
{
    writeLongBank();
    TForm1 &f = startDemoGame();
    ASSERT_EQ(f.Memo1->toPlainText(), kLongestQuestion);
    // The question box shows the question on its lines, its whole width, without scrolling.
    QTextDocument text;
    text.setDefaultFont(f.Memo1->font());
    text.setDocumentMargin(f.Memo1->document()->documentMargin());
    text.setDefaultTextOption(f.Memo1->document()->defaultTextOption());
    text.setPlainText(kLongestQuestion);
    text.setTextWidth(f.Memo1->width());
    EXPECT_LE(text.size().height(), f.Memo1->viewport()->height())
        << f.Memo1->font().pointSize() << " pt in " << f.Memo1->viewport()->height() << " px";
    EXPECT_FALSE(f.Memo1->verticalScrollBar()->isVisible());
    // Every answer's caption lies on its button, its letter included.
    for (int tag = 1; tag <= 4; ++tag) {
        const TGradBtn *button = f.FaqBtn[static_cast<size_t>(tag)];
        const QString caption = TGradBtn::MakePlainCaption(button->Caption()).text;
        ASSERT_EQ(caption.size(), 3 + kLongestAnswer.size()) << qPrintable(caption);
        const QSize room = captionRoom(caption, button->font(), button->width());
        EXPECT_LE(room.width(), button->width()) << tag << ": " << button->font().pointSize() << " pt";
        EXPECT_LE(room.height(), button->height()) << tag << ": " << button->font().pointSize() << " pt";
    }
}

// Large print: the question and the answers in larger type wherever the screen has room, by
// the same factor for both, and the ladder's rows with them.
TEST_P(DemoLayout, LargePrintEnlargesTheQuestionTheAnswersAndTheLadder)
{
    TForm1 &f = startDemoGame();
    const LayoutProfile normal = ReadLayoutProfile(folder + QStringLiteral("tallory.ini"), screen().width(), screen().height());
    const int answerPoints = f.FaqBtn[1]->font().pointSize();
    const int questionPoints = f.Memo1->font().pointSize();
    if (!large()) {
        EXPECT_EQ(answerPoints, normal.answerFont);
        EXPECT_EQ(f.FaqBtn[1]->height(), 28);
        return;
    }
    // Every school screen of the demo settings has room for at least a fifth more.
    EXPECT_GE(answerPoints * 5, normal.answerFont * 6) << answerPoints << " pt";
    EXPECT_GE(questionPoints * 5, normal.questionFont * 6) << questionPoints << " pt";
    EXPECT_GE(f.FaqBtn[1]->height() * 5, 28 * 6);
    EXPECT_GE(f.Edit[1]->height() * 5, 15 * 6);
    EXPECT_GE(f.Edit[1]->fontInfo().pixelSize() * 5, 11 * 6);
}

INSTANTIATE_TEST_SUITE_P(SchoolScreens, DemoLayout,
                         ::testing::Combine(::testing::Values(QSize(800, 600), QSize(1024, 768), QSize(1280, 720),
                                                              QSize(1280, 800), QSize(1280, 1024), QSize(1366, 768),
                                                              QSize(1440, 900), QSize(1600, 900), QSize(1680, 1050),
                                                              QSize(1920, 1080), QSize(1920, 1200), QSize(2560, 1440)),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<DemoScreen> &info) {
                             const QSize screen = std::get<0>(info.param);
                             return std::to_string(screen.width()) + "x" + std::to_string(screen.height())
                                 + (std::get<1>(info.param) ? "Large" : "");
                         });
