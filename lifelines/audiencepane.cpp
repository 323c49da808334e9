#include "audiencepane.h"

#include "module.h"

#include <QFrame>
#include <QPalette>

#include <numeric>

namespace {

using ShowPoll = void (*)(QWidget *, const QList<AudienceBar> &, const QStringList &);

QString &chartModule()
{
    static QString path = ModulePath(QStringLiteral("tallory_chart"));
    return path;
}

// The chart library, with the OpenGL libraries it brings along, is megabytes of code that most
// games never use: linked into the program, it would load with every start. So the chart lives in a module next to the program, loaded
// the first time the audience is asked.
ShowPoll loadChart()
{
    return reinterpret_cast<ShowPoll>(ModuleEntry(chartModule(), "tallory_audience", "The audience chart"));
}

// The panel's own look: a raised bevel and aqua, which shows only where the chart does not
// cover it. Set here rather than in the module so that the panel looks right even without it.
void dressPanel(QWidget *panel)
{
    auto *frame = qobject_cast<QFrame *>(panel);
    if (!frame || frame->frameStyle() == (QFrame::Panel | QFrame::Raised))
        return;
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, QColor(0x00, 0xFF, 0xFF));
    frame->setPalette(palette);
    frame->setAutoFillBackground(true);
}

} // namespace

QString AudiencePercent(int votes, int total)
{
    if (total <= 0)
        return QStringLiteral("0 %");
    // Hundredths of a per cent, in whole numbers so that no binary fraction decides a rounding.
    // The decimal comma is the Russian one, as the rest of the interface.
    // Halves go to the even neighbour: the two shares left after fifty-fifty then always make
    // exactly 100 % (1 of 32 votes is "3,12 %", 31 are "96,88 %").
    const qint64 scaled = qint64(votes) * 10000;
    qint64 hundredths = scaled / total;
    const qint64 twiceRest = scaled % total * 2;
    if (twiceRest > total || (twiceRest == total && hundredths % 2))
        ++hundredths;
    QString text = QString::number(hundredths / 100);
    const qint64 fraction = hundredths % 100;
    if (fraction % 10)
        text += QStringLiteral(",%1").arg(fraction, 2, 10, QLatin1Char('0'));
    else if (fraction)
        text += QStringLiteral(",%1").arg(fraction / 10);
    return text + QStringLiteral(" %");
}

QStringList AudienceMarks(const QList<AudienceBar> &bars)
{
    const int total = std::accumulate(bars.begin(), bars.end(), 0,
                                      [](int sum, const AudienceBar &bar) { return sum + bar.votes; });
    QStringList marks;
    for (const AudienceBar &bar : bars)
        marks.append(bar.label + QLatin1Char(' ') + AudiencePercent(bar.votes, total));
    return marks;
}

void SetAudienceChartModule(const QString &path)
{
    chartModule() = path;
}

void ShowAudienceChart(QWidget *panel, const QList<AudienceBar> &bars)
{
    static const ShowPoll show = loadChart();
    dressPanel(panel);
    if (show)
        show(panel, bars, AudienceMarks(bars));
}
