#include "zelgradient.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A window that paints a red square of its own and writes down every paint it gets.
class OwnerWindow : public QWidget
{
public:
    explicit OwnerWindow(QWidget *parent = nullptr) : QWidget(parent)
    {
        QPalette colours = palette();
        colours.setColor(QPalette::Window, QColor(0x20, 0x40, 0x60));
        setPalette(colours);
    }
    int paints = 0;
    QRect lastPaintRect;
    std::vector<std::string> *timeline = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++paints;
        lastPaintRect = event->rect();
        if (timeline)
            timeline->push_back("owner");
        QPainter(this).fillRect(10, 10, 20, 20, Qt::red);
    }
};

const QColor kRed(Qt::red);
const QColor kPlain(0x20, 0x40, 0x60);

QColor pixel(QWidget &w, int x, int y)
{
    return w.grab().toImage().pixelColor(x, y);
}

// Shows the window and lets every pending paint happen, so that later counts start clean.
void showAndSettle(QWidget &w)
{
    w.show();
    for (int i = 0; i < 50 && !(w.windowHandle() && w.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(w.windowHandle()->isExposed());
    QCoreApplication::processEvents();
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST(ZelGradient, DefaultsToNavyOverBlueAndEnabled)
{
    OwnerWindow owner;
    TZelGradient gradient(&owner);
    EXPECT_EQ(gradient.ColorTop(), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(gradient.ColorBottom(), QColor(0x00, 0x00, 0xFF));
    EXPECT_TRUE(gradient.Enabled());
}

TEST(ZelGradient, BlackToNavyOverAHundredRows)
{
    OwnerWindow owner;
    owner.resize(60, 100);
    auto *gradient = new TZelGradient(&owner);
    gradient->setColorTop(Qt::black);
    gradient->setColorBottom(QColor(0x00, 0x00, 0x80));
    const QImage image = owner.grab().toImage();
    EXPECT_EQ(image.pixelColor(45, 0), QColor(0x00, 0x00, 0x00));
    EXPECT_EQ(image.pixelColor(45, 50), QColor(0x00, 0x00, 0x40));
    EXPECT_EQ(image.pixelColor(45, 99), QColor(0x00, 0x00, 0x7F));
    // Each row is one colour from edge to edge.
    EXPECT_EQ(image.pixelColor(0, 50), QColor(0x00, 0x00, 0x40));
    EXPECT_EQ(image.pixelColor(59, 50), QColor(0x00, 0x00, 0x40));
}

TEST(ZelGradient, TopRowIsExactAndLastRowStopsOneStepShort)
{
    OwnerWindow owner;
    owner.resize(40, 128);
    TZelGradient gradient(&owner);
    const QImage image = owner.grab().toImage();
    EXPECT_EQ(image.pixelColor(35, 0), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(image.pixelColor(35, 127), QColor(0x00, 0x00, 0xFE));
}

TEST(ZelGradient, HalfStepsRoundToEven)
{
    // Over four rows from 0 to 2 the step is -0.5: rows 1 and 3 land on halves.
    const QColor up(0, 0, 0);
    const QColor down(2, 2, 2);
    std::vector<int> rising, falling;
    for (int row = 0; row < 4; ++row) {
        rising.push_back(TZelGradient::rowColor(up, down, row, 4).blue());
        falling.push_back(TZelGradient::rowColor(down, up, row, 4).red());
    }
    EXPECT_EQ(rising, (std::vector<int>{0, 0, 1, 2}));
    EXPECT_EQ(falling, (std::vector<int>{2, 2, 1, 0}));

    OwnerWindow owner;
    owner.resize(50, 4);
    TZelGradient gradient(&owner);
    gradient.setColorTop(up);
    gradient.setColorBottom(down);
    const QImage image = owner.grab().toImage();
    std::vector<int> drawn;
    for (int row = 0; row < 4; ++row)
        drawn.push_back(image.pixelColor(45, row).green());
    EXPECT_EQ(drawn, (std::vector<int>{0, 0, 1, 2}));
}

TEST(ZelGradient, OwnerPaintingAndChildrenLieOverTheGradient)
{
    OwnerWindow owner;
    owner.resize(100, 100);
    QWidget child(&owner);
    child.setGeometry(60, 60, 20, 20);
    child.setAutoFillBackground(true);
    QPalette green = child.palette();
    green.setColor(QPalette::Window, Qt::green);
    child.setPalette(green);
    TZelGradient gradient(&owner);
    gradient.setColorTop(Qt::black);
    gradient.setColorBottom(QColor(0, 0, 100));
    const QImage image = owner.grab().toImage();
    EXPECT_EQ(image.pixelColor(15, 15), kRed);
    EXPECT_EQ(image.pixelColor(70, 70), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(45, 50), QColor(0, 0, 50));
}

TEST(ZelGradient, DisabledLeavesThePlainBackgroundAndTheOwnersPainting)
{
    OwnerWindow owner;
    owner.resize(100, 100);
    TZelGradient gradient(&owner);
    gradient.setEnabled(false);
    EXPECT_FALSE(gradient.Enabled());
    const QImage image = owner.grab().toImage();
    EXPECT_EQ(image.pixelColor(50, 50), kPlain);
    EXPECT_EQ(image.pixelColor(50, 0), kPlain);
    EXPECT_EQ(image.pixelColor(15, 15), kRed);
    gradient.setEnabled(true);
    EXPECT_NE(pixel(owner, 50, 50), kPlain);
}

TEST(ZelGradient, EffectIsDrawnBeforeTheOwnerPaints)
{
    OwnerWindow owner;
    owner.resize(30, 30);
    std::vector<std::string> timeline;
    owner.timeline = &timeline;
    TZelGradient gradient(&owner);
    QObject::connect(&gradient, &TZelGradient::OnGradientBegin, [&] { timeline.push_back("begin"); });
    QObject::connect(&gradient, &TZelGradient::OnGradientEnd, [&] { timeline.push_back("end"); });
    owner.grab();
    EXPECT_EQ(timeline, (std::vector<std::string>{"begin", "end", "owner"}));
}

TEST(ZelGradient, ZeroHeightDrawsNothing)
{
    QWidget parent;
    QWidget owner(&parent);
    owner.setGeometry(0, 0, 10, 0);
    ASSERT_EQ(owner.height(), 0);
    TZelGradient gradient(&owner);
    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        gradient.PaintEffect(painter, &owner);
    }
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(canvas.pixelColor(x, y), QColor(Qt::white));
}

TEST(ZelGradient, ChangingASettingRepaintsTheWholeOwnerOnce)
{
    OwnerWindow owner;
    owner.resize(80, 60);
    TZelGradient gradient(&owner);
    showAndSettle(owner);

    owner.paints = 0;
    gradient.setColorTop(gradient.ColorTop());
    gradient.setColorBottom(gradient.ColorBottom());
    gradient.setEnabled(true);
    settle();
    EXPECT_EQ(owner.paints, 0);

    gradient.setColorTop(Qt::darkRed);
    settle();
    EXPECT_EQ(owner.paints, 1);
    EXPECT_EQ(owner.lastPaintRect, owner.rect());
    EXPECT_EQ(pixel(owner, 50, 0), QColor(Qt::darkRed));

    owner.paints = 0;
    gradient.setColorBottom(Qt::yellow);
    settle();
    EXPECT_EQ(owner.paints, 1);

    owner.paints = 0;
    owner.lastPaintRect = QRect();
    gradient.setEnabled(false);
    settle();
    EXPECT_EQ(owner.paints, 1);
    EXPECT_EQ(owner.lastPaintRect, owner.rect());
}

TEST(ZelGradient, GoesAwayWithItsOwner)
{
    QPointer<TZelGradient> gradient;
    {
        OwnerWindow owner;
        gradient = new TZelGradient(&owner);
    }
    EXPECT_TRUE(gradient.isNull());
}
