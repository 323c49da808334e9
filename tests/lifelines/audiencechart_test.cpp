// The audience's poll chart: loaded from its module on the first poll, drawn into a panel of
// 242 x 186, bars in their colours, marks with their shares of the votes shown.

#include "audiencepane.h"

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kLime(0x00, 0xFF, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kYellow(0xFF, 0xFF, 0x00);

QList<AudienceBar> fourBars(int a, int b, int c, int d)
{
    return {{QStringLiteral("A"), a, kRed}, {QStringLiteral("B"), b, kLime},
            {QStringLiteral("C"), c, kBlue}, {QStringLiteral("D"), d, kYellow}};
}

// What fifty-fifty leaves when it blanks A and C.
QList<AudienceBar> bAndD(int b, int d)
{
    return {{QStringLiteral("B"), b, kLime}, {QStringLiteral("D"), d, kYellow}};
}

/// A mark as the viewer sees it: its text and where it lies in the chart's scene.
struct Mark {
    QString text;
    QRectF area;
};

bool hasColour(const QImage &image, const QColor &colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

double percentOf(const QString &mark)
{
    const QStringList parts = mark.split(QLatin1Char(' '));
    return parts.size() == 3 ? QString(parts[1]).replace(QLatin1Char(','), QLatin1Char('.')).toDouble() : -1;
}

class AudienceChart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetAudienceChartModule(QStringLiteral(TALLORY_CHART_MODULE));
        panel.resize(242, 186);
    }

    // Polls, shows the panel as the game does and lets the chart lay itself out.
    void poll(const QList<AudienceBar> &bars)
    {
        ShowAudienceChart(&panel, bars);
        panel.show();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    QChartView *view() const { return panel.findChild<QChartView *>(); }
    QChart *chart() const { return view() ? view()->chart() : nullptr; }
    QImage image() { return panel.grab().toImage(); }

    // The point of the panel showing value on bar index.
    QPoint pointOf(int index, qreal value) const
    {
        const QPointF at = chart()->mapToPosition(QPointF(index, value), chart()->series().first());
        return view()->mapTo(&panel, view()->mapFromScene(chart()->mapToScene(at)));
    }

    QPointF sceneTopOfBar(int index, qreal votes) const
    {
        return chart()->mapToScene(chart()->mapToPosition(QPointF(index, votes), chart()->series().first()));
    }

    QList<Mark> marks() const
    {
        QList<Mark> found;
        for (QGraphicsItem *item : view()->scene()->items())
            if (auto *text = qgraphicsitem_cast<QGraphicsSimpleTextItem *>(item); text && text->isVisible())
                found.append({text->text(), text->sceneBoundingRect()});
        std::sort(found.begin(), found.end(), [](const Mark &a, const Mark &b) { return a.area.left() < b.area.left(); });
        return found;
    }

    QStringList markTexts() const
    {
        QStringList texts;
        for (const Mark &mark : marks())
            texts.append(mark.text);
        return texts;
    }

    QFrame panel;
};

} // namespace

TEST(AudiencePercent, ShowsAtMostTwoDecimalsWithoutTrailingZeros)
{
    EXPECT_EQ(AudiencePercent(20, 50), QStringLiteral("40 %"));
    EXPECT_EQ(AudiencePercent(1, 3), QStringLiteral("33,33 %"));
    EXPECT_EQ(AudiencePercent(2, 3), QStringLiteral("66,67 %"));
    EXPECT_EQ(AudiencePercent(1, 8), QStringLiteral("12,5 %"));
    EXPECT_EQ(AudiencePercent(1, 200), QStringLiteral("0,5 %"));
    EXPECT_EQ(AudiencePercent(1, 16), QStringLiteral("6,25 %"));
    EXPECT_EQ(AudiencePercent(1, 7), QStringLiteral("14,29 %"));
    EXPECT_EQ(AudiencePercent(1, 300), QStringLiteral("0,33 %"));
    EXPECT_EQ(AudiencePercent(50, 50), QStringLiteral("100 %"));
    EXPECT_EQ(AudiencePercent(0, 50), QStringLiteral("0 %"));
}

TEST(AudiencePercent, RoundsHalvesToTheEvenHundredth)
{
    EXPECT_EQ(AudiencePercent(1, 32), QStringLiteral("3,12 %"));
    EXPECT_EQ(AudiencePercent(31, 32), QStringLiteral("96,88 %"));
    EXPECT_EQ(AudiencePercent(1, 800), QStringLiteral("0,12 %"));
    EXPECT_EQ(AudiencePercent(3, 800), QStringLiteral("0,38 %"));
    EXPECT_EQ(AudiencePercent(19999, 20000), QStringLiteral("100 %"));
}

TEST(AudiencePercent, NoVotesAtAllAreNoShare)
{
    EXPECT_EQ(AudiencePercent(0, 0), QStringLiteral("0 %"));
}

TEST(AudiencePercent, TwoSharesAlwaysMakeAHundred)
{
    for (int total = 1; total <= 50; ++total)
        for (int votes = 0; votes <= total; ++votes) {
            const QString one = AudiencePercent(votes, total);
            const QString other = AudiencePercent(total - votes, total);
            const auto share = [](QString mark) { return mark.chopped(2).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(); };
            const double sum = share(one) + share(other);
            EXPECT_NEAR(sum, 100.0, 1e-9) << qPrintable(one) << " + " << qPrintable(other);
        }
}

TEST(AudienceMarks, JoinEachLabelToItsShareOfAllBars)
{
    EXPECT_EQ(AudienceMarks(fourBars(20, 10, 10, 10)),
              QStringList({"A 40 %", "B 20 %", "C 20 %", "D 20 %"}));
    EXPECT_EQ(AudienceMarks(bAndD(13, 6)), QStringList({"B 68,42 %", "D 31,58 %"}));
    EXPECT_EQ(AudienceMarks({}), QStringList());
}

TEST_F(AudienceChart, FillsThePanelInsideItsBevelWithoutAFrameOfItsOwn)
{
    poll(fourBars(20, 10, 10, 10));
    ASSERT_NE(view(), nullptr);
    EXPECT_EQ(view()->geometry(), QRect(2, 2, 238, 182));
    EXPECT_EQ(view()->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(panel.frameStyle(), QFrame::Panel | QFrame::Raised);
    EXPECT_EQ(panel.frameWidth(), 2);
    const QImage shot = image();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(239, 183), QColor(Qt::black));
    EXPECT_EQ(shot.pixel(0, 0), panel.palette().light().color().rgb());
    EXPECT_EQ(shot.pixel(241, 185), panel.palette().dark().color().rgb());
    EXPECT_FALSE(hasColour(shot, QColor(0x00, 0xFF, 0xFF))) << "the aqua panel shows through";
}

TEST_F(AudienceChart, TitleIsOneLimeLineOfArialSixteenPixels)
{
    poll(fourBars(20, 10, 10, 10));
    ASSERT_NE(chart(), nullptr);
    EXPECT_EQ(chart()->title(), QStringLiteral("Мнения аудитории:"));
    EXPECT_EQ(chart()->titleBrush().color(), kLime);
    EXPECT_EQ(chart()->titleFont().family(), QStringLiteral("Arial"));
    EXPECT_EQ(chart()->titleFont().pixelSize(), 16);
    EXPECT_FALSE(chart()->titleFont().bold());
    EXPECT_FALSE(chart()->titleFont().italic());
    // The title's band above the plot area is drawn in lime.
    const QRect band(view()->geometry().topLeft(), QSize(238, int(chart()->plotArea().top()) - 2));
    EXPECT_TRUE(hasColour(image().copy(band), kLime));
}

TEST_F(AudienceChart, HasNoLegendNoMarginsAndNoAnimation)
{
    poll(fourBars(20, 10, 10, 10));
    ASSERT_NE(chart(), nullptr);
    EXPECT_FALSE(chart()->legend()->isVisible());
    EXPECT_EQ(chart()->margins(), QMargins(0, 0, 0, 0));
    EXPECT_EQ(chart()->animationOptions(), QChart::NoAnimation);
    EXPECT_EQ(chart()->geometry(), QRectF(0, 0, 238, 182));
}

TEST_F(AudienceChart, BlackBackgroundAroundAWhitePlotArea)
{
    poll(fourBars(20, 10, 10, 10));
    ASSERT_NE(chart(), nullptr);
    const QRectF plot = chart()->plotArea();
    const QPoint wall = view()->mapTo(&panel, view()->mapFromScene(
                                                  chart()->mapToScene(QPointF(plot.left() + 3, plot.center().y()))));
    const QImage shot = image();
    EXPECT_EQ(shot.pixelColor(wall), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(view()->mapTo(&panel, QPoint(1, 91))), QColor(Qt::black));
}

TEST_F(AudienceChart, EachBarShowsInItsOwnColourInTheGivenOrder)
{
    poll(fourBars(20, 10, 10, 10));
    ASSERT_NE(chart(), nullptr);
    const QImage shot = image();
    EXPECT_EQ(shot.pixelColor(pointOf(0, 10)), kRed);
    EXPECT_EQ(shot.pixelColor(pointOf(1, 5)), kLime);
    EXPECT_EQ(shot.pixelColor(pointOf(2, 5)), kBlue);
    EXPECT_EQ(shot.pixelColor(pointOf(3, 5)), kYellow);
    EXPECT_LT(pointOf(0, 0).x(), pointOf(1, 0).x());
    EXPECT_LT(pointOf(2, 0).x(), pointOf(3, 0).x());
    // The tallest bar (40 %) is twice as tall as the others (20 %); beside its mark's arrow,
    // just above bar B, is the white wall.
    EXPECT_EQ(shot.pixelColor(pointOf(0, 30)), kRed);
    EXPECT_EQ(shot.pixelColor(pointOf(1, 20) + QPoint(3, -3)), QColor(Qt::white));
}

TEST_F(AudienceChart, MarksShowEachLabelWithItsShareOfTheVotes)
{
    poll(fourBars(20, 10, 10, 10));
    ASSERT_NE(chart(), nullptr);
    EXPECT_EQ(markTexts(), QStringList({"A 40 %", "B 20 %", "C 20 %", "D 20 %"}));
}

TEST_F(AudienceChart, MarksSitAboveTheirBarsWithinTheChart)
{
    const QList<int> votes{20, 10, 10, 10};
    poll(fourBars(votes[0], votes[1], votes[2], votes[3]));
    ASSERT_NE(chart(), nullptr);
    const QList<Mark> found = marks();
    ASSERT_EQ(found.size(), 4);
    const QRectF plot = chart()->mapRectToScene(chart()->plotArea());
    for (int i = 0; i < 4; ++i) {
        const QPointF top = sceneTopOfBar(i, votes[i]);
        EXPECT_LT(found[i].area.bottom(), top.y()) << qPrintable(found[i].text);
        EXPECT_NEAR(found[i].area.center().x(), top.x(), 3) << qPrintable(found[i].text);
        EXPECT_GE(found[i].area.top(), plot.top()) << qPrintable(found[i].text);
    }
}

TEST_F(AudienceChart, ValueAxisStartsAtZeroAndLeavesRoomAboveTheTallestBar)
{
    poll(fourBars(50, 0, 0, 0));
    ASSERT_NE(chart(), nullptr);
    const auto axes = chart()->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 1);
    const auto *votes = qobject_cast<QValueAxis *>(axes.first());
    ASSERT_NE(votes, nullptr);
    EXPECT_EQ(votes->min(), 0);
    EXPECT_GT(votes->max(), 50);
    const QRectF plot = chart()->mapRectToScene(chart()->plotArea());
    EXPECT_GE(marks().first().area.top(), plot.top());
}

// The marks say per cent, and so does the axis: a bar marked 36 % reaches 36 on it.
TEST_F(AudienceChart, BarsReachTheirShareOnAnAxisOfPerCent)
{
    poll(fourBars(18, 12, 10, 10));
    ASSERT_NE(chart(), nullptr);
    ASSERT_EQ(markTexts().first(), QStringLiteral("A 36 %"));
    const QImage shot = image();
    EXPECT_EQ(shot.pixelColor(pointOf(0, 34)), kRed);
    EXPECT_NE(shot.pixelColor(pointOf(0, 38)), kRed);
    QStringList axisTexts;
    for (QGraphicsItem *item : view()->scene()->items()) {
        if (auto *text = dynamic_cast<QGraphicsTextItem *>(item); text && text->isVisible())
            axisTexts << text->toPlainText();
    }
    EXPECT_TRUE(axisTexts.contains(QStringLiteral("20 %"))) << qPrintable(axisTexts.join(QStringLiteral(" | ")));
}

TEST_F(AudienceChart, TwoBarsAfterFiftyFiftyShareAHundredPercent)
{
    poll(bAndD(13, 6));
    ASSERT_NE(chart(), nullptr);
    const QStringList texts = markTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("B "))) << qPrintable(texts[0]);
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("D "))) << qPrintable(texts[1]);
    EXPECT_NEAR(percentOf(texts[0]) + percentOf(texts[1]), 100.0, 1e-9);
    const QImage shot = image();
    EXPECT_EQ(shot.pixelColor(pointOf(0, 6)), kLime);
    EXPECT_EQ(shot.pixelColor(pointOf(1, 3)), kYellow);
}

TEST_F(AudienceChart, BarWithoutVotesKeepsItsMark)
{
    poll(fourBars(25, 0, 25, 0));
    ASSERT_NE(chart(), nullptr);
    const QList<Mark> found = marks();
    ASSERT_EQ(found.size(), 4);
    EXPECT_EQ(found[1].text, QStringLiteral("B 0 %"));
    EXPECT_EQ(found[3].text, QStringLiteral("D 0 %"));
    EXPECT_LT(found[1].area.bottom(), sceneTopOfBar(1, 0).y());
    EXPECT_GT(found[1].area.top(), found[0].area.bottom()) << "the empty bar's mark sits at its base";
}

TEST_F(AudienceChart, SecondPollReplacesTheBars)
{
    poll(fourBars(20, 10, 10, 10));
    QChartView *first = view();
    ASSERT_NE(first, nullptr);
    poll(bAndD(30, 10));
    EXPECT_EQ(view(), first);
    EXPECT_EQ(panel.findChildren<QChartView *>().size(), 1);
    EXPECT_EQ(chart()->series().size(), 1);
    EXPECT_EQ(markTexts(), QStringList({"B 75 %", "D 25 %"}));
    const QImage shot = image();
    EXPECT_FALSE(hasColour(shot, kRed)) << "bar A is left over";
    EXPECT_FALSE(hasColour(shot, kBlue)) << "bar C is left over";
    EXPECT_EQ(shot.pixelColor(pointOf(0, 15)), kLime);
    EXPECT_EQ(shot.pixelColor(pointOf(1, 5)), kYellow);
}

#ifdef Q_OS_LINUX
namespace {

bool chartModuleMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains(QFileInfo(QStringLiteral(TALLORY_CHART_MODULE)).fileName().toUtf8());
}

// Runs in a fresh copy of this test program, where no poll has been shown yet.
int loadsOnFirstPoll()
{
    SetAudienceChartModule(QStringLiteral(TALLORY_CHART_MODULE));
    QFrame panel;
    panel.resize(242, 186);
    const bool before = chartModuleMapped();
    ShowAudienceChart(&panel, fourBars(20, 10, 10, 10));
    const bool after = chartModuleMapped();
    std::fprintf(stderr, "mapped before the poll: %d, after: %d\n", before, after);
    return !before && after && panel.findChild<QWidget *>() ? 0 : 1;
}

int missingModuleLeavesPanelEmpty()
{
    SetAudienceChartModule(QStringLiteral("/nonexistent/tallory_chart"));
    QFrame panel;
    ShowAudienceChart(&panel, fourBars(20, 10, 10, 10));
    ShowAudienceChart(&panel, fourBars(20, 10, 10, 10));
    return panel.findChildren<QWidget *>().isEmpty() ? 0 : 1;
}

} // namespace

TEST(AudienceChartModule, IsLoadedByTheFirstPollOnly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(loadsOnFirstPoll()), ::testing::ExitedWithCode(0), "before the poll: 0, after: 1");
}

TEST(AudienceChartModule, MissingModuleIsReportedAndLeavesThePanelEmpty)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(missingModuleLeavesPanelEmpty()), ::testing::ExitedWithCode(0),
                "The audience chart is not available");
}
#endif
