// The panes over the game screen, the audience's chart and the illustration: what they leave
// behind when they go, for the keyboard and for the eye.

#include "gamefixture.h"
#include "illustrationpane.h"

#include <QApplication>
#include <QGraphicsView>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace {

// One tick of a running timer, delivered the way the timer itself delivers it.
void tick(QTimer *timer)
{
    ASSERT_TRUE(timer->isActive());
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
}

// A page as a browser shows one: white, filling the pane.
void whitePage(QWidget *pane, const QString &)
{
    auto *page = pane->findChild<QWidget *>(QStringLiteral("page"));
    if (!page) {
        page = new QWidget(pane);
        page->setObjectName(QStringLiteral("page"));
        page->setAutoFillBackground(true);
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, Qt::white);
        page->setPalette(palette);
        QLayout *layout = pane->layout() ? pane->layout() : new QVBoxLayout(pane);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(page);
    }
    page->show();
}

} // namespace

class Panes : public GameFixture
{
protected:
    TForm1 &startShown(const FormServices &with)
    {
        form = std::make_unique<TForm1>(with);
        form->show();
        QApplication::setActiveWindow(form.get());
        return *form;
    }

    /// The window with the real audience chart.
    TForm1 &startWithChart()
    {
        SetAudienceChartModule(QStringLiteral(TALLORY_CHART_MODULE));
        FormServices with = services(watching);
        with.audience = &ShowAudienceChart;
        return startShown(with);
    }

    /// Clicks into the chart, as a student may, and returns the chart.
    void clickTheChart(TForm1 &f)
    {
        QTest::keyClick(&f, Qt::Key_F3);
        auto *chart = f.Panel2->findChild<QGraphicsView *>();
        ASSERT_NE(chart, nullptr);
        QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, QPoint(120, 100));
        timeline.events.clear();
    }

    /// Enter, where the keyboard focus is.
    void strayEnter(TForm1 &f)
    {
        QWidget *focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : &f, Qt::Key_Return);
    }
};

TEST_F(Panes, AClickOnTheChartLeavesNoAnswerForAStrayEnterWhenFiftyFiftyTakesItAway)
{
    TForm1 &f = startWithChart();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Диаграммов"));
    clickTheChart(f);
    QTest::keyClick(&f, Qt::Key_F5);
    ASSERT_FALSE(f.Panel2->isVisible());
    strayEnter(f);
    EXPECT_EQ(f.Game.CurrentLevel, 1);
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip btnclick background")), 0);
}

TEST_F(Panes, AClickOnTheChartLeavesNoAnswerForAStrayEnterAtTheTenthTick)
{
    TForm1 &f = startWithChart();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Тиканов"));
    clickTheChart(f);
    for (int t = 1; t <= 10; ++t)
        tick(f.Timer2);
    ASSERT_FALSE(f.Panel2->isVisible());
    strayEnter(f);
    EXPECT_EQ(f.Game.CurrentLevel, 1);
    EXPECT_EQ(timeline.events.count(QStringLiteral("clip btnclick background")), 0);
}

// The pane is 1 px high between illustrations: after a page it must not stay there as a white
// line across the screen under the toolbar, on the next question or on the idle screen.
TEST_F(Panes, APageLeavesNoLineUnderTheToolbar)
{
    writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n");
    QByteArray bank;
    for (int level = 1; level <= kLevels; ++level) {
        const QString line = QStringLiteral("Вопрос|Верно %1|Нет %1 a|Нет %1 b|Нет %1 c|%2")
                                 .arg(level)
                                 .arg(level == 1 ? QStringLiteral("http://example.org/") : QString());
        bank += "[" + QByteArray::number(level) + "]\r\n" + ScrambleText(*cp1251::encode(line)) + "\r\n";
    }
    testutil::writeBytes(folder + QStringLiteral("lesson.faq"), bank);
    FormServices with = services(watching);
    with.browse = [](QWidget *pane, const QString &address) { ShowIllustration(pane, address, &whitePage); };
    TForm1 &f = startShown(with);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Линейкин"));
    const int line = f.WebBrowser1->mapTo(&f, QPoint(0, 0)).y();
    ASSERT_EQ(f.grab().toImage().pixelColor(500, line + 100), QColor(Qt::white)); // the page is up
    auto lineIsWhite = [&] {
        const QImage screen = f.grab().toImage();
        int white = 0;
        for (int x = 0; x < screen.width(); ++x)
            white += screen.pixelColor(x, line) == QColor(Qt::white);
        return white;
    };
    answerRight();
    ASSERT_EQ(f.Game.CurrentLevel, 2);
    EXPECT_EQ(lineIsWhite(), 0) << "on the next question";
    answerWrong();
    ASSERT_EQ(f.Game.CurrentLevel, 0);
    EXPECT_EQ(lineIsWhite(), 0) << "on the idle screen";
}

// The ladder stands over the pane's right end: the line saying an illustration cannot be shown
// lies left of it, on the smallest screen and in large print too.
TEST_F(Panes, TheIllustrationsLineIsNotUnderTheLadder)
{
    QByteArray bank;
    for (int level = 1; level <= kLevels; ++level) {
        const QString line = QStringLiteral("Вопрос|Верно %1|Нет %1 a|Нет %1 b|Нет %1 c|%2")
                                 .arg(level)
                                 .arg(QStringLiteral("карта-полушарий-земли-для-урока-географии-в-седьмом-классе.png"));
        bank += "[" + QByteArray::number(level) + "]\r\n" + ScrambleText(*cp1251::encode(line)) + "\r\n";
    }
    testutil::writeBytes(folder + QStringLiteral("lesson.faq"), bank);
    for (const char16_t *settings : {u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n",
                                     u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[настройки]\r\nКрупно=1\r\n"}) {
        writeSettings(settings);
        FormServices with = services(watching, QSize(800, 600));
        with.browse = [](QWidget *pane, const QString &address) { ShowIllustration(pane, address, {}); };
        TForm1 &f = startShown(with);
        newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Картин"));
        auto *line = f.WebBrowser1->findChild<QLabel *>(QStringLiteral("IllustrationMessage"));
        ASSERT_NE(line, nullptr);
        ASSERT_TRUE(line->isVisible());
        const QRect drawn = QFontMetrics(line->font())
                                .boundingRect(line->contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, line->text())
                                .translated(line->mapTo(&f, QPoint(0, 0)));
        const QRect ladder(f.Panel3->mapTo(&f, QPoint(0, 0)), f.Panel3->size());
        EXPECT_LT(drawn.right(), ladder.left()) << qPrintable(line->text());
        EXPECT_TRUE(ladder.intersects(QRect(f.WebBrowser1->mapTo(&f, QPoint(0, 0)), f.WebBrowser1->size())));
        form.reset();
    }
}
