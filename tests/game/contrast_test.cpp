// Every text of the game, read from the pixels, stands out from its background by at least
// 4.5 to 1, in normal and in large print: the question and its answers, the ladder's rows in
// each look, the verdict on the buttons, the board, the status bar, the host's banners and the
// call window.

#include "lifelinesfixture.h"

#include "alphabar.h"
#include "lcd99.h"
#include "textcontrast.h"
#include "windowbanners.h"

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <functional>
#include <map>

using textcontrast::Reading;

namespace {

/// The game's banners painted as the program paints them; each remembers the colours the game
/// asked for, by which the test names it.
class PaintedBanners : public Banners
{
public:
    void showBanner(const QString &caption, const QString &text, const QColor &background,
                    const QColor &textColour) override
    {
        asked = QStringLiteral("баннер %1 на %2").arg(textColour.name(), background.name());
        m_window.showBanner(caption, text, background, textColour);
        if (whileShown)
            whileShown();
    }
    void closeBanner() override { m_window.closeBanner(); }
    QWidget *current() const { return m_window.currentBanner(); }
    QString asked;
    /// Run while a banner is up: the clip it waits for may take no pause at all.
    std::function<void()> whileShown;

private:
    WindowBanners m_window;
};

/// The lowest contrast seen for each kind of text, over every moment looked at.
class Survey
{
public:
    void note(const QString &kind, const Reading &r)
    {
        if (r.ratio <= 0)
            return;
        auto it = m_worst.find(kind);
        if (it == m_worst.end() || r.ratio < it->second.ratio)
            m_worst[kind] = r;
    }
    bool has(const QString &kind) const { return m_worst.count(kind) > 0; }
    /// Each kind below the guideline, as "kind: text on background ratio".
    QStringList failing() const
    {
        QStringList out;
        for (const auto &[kind, r] : m_worst) {
            if (r.ratio < textcontrast::kGuidelineRatio)
                out << QStringLiteral("%1: %2 on %3 %4").arg(kind, r.text.name(), r.background.name())
                           .arg(r.ratio, 0, 'f', 2);
        }
        return out;
    }
    QStringList kinds() const
    {
        QStringList out;
        for (const auto &entry : m_worst)
            out << entry.first;
        return out;
    }

private:
    std::map<QString, Reading> m_worst;
};

QImage shot(QWidget *w) { return w->grab().toImage(); }

/// A gradient button read with its caption and without it.
Reading buttonText(TGradBtn *button)
{
    const QString caption = button->Caption();
    const QImage with = shot(button);
    button->setCaption(QString());
    const QImage without = shot(button);
    button->setCaption(caption);
    return textcontrast::onPicture(with, without);
}

/// A label over a painted background, read in the parent's pixels with its text and without.
Reading labelText(QLabel *label, QWidget *backdrop)
{
    const QString text = label->text();
    const QRect where(label->mapTo(backdrop, QPoint(0, 0)), label->size());
    const QImage with = backdrop->grab(where).toImage();
    label->setText(QString());
    const QImage without = backdrop->grab(where).toImage();
    label->setText(text);
    return textcontrast::onPicture(with, without);
}

// An answer by the colour of its face: blue as asked, red as clicked (or wrong), green as right.
QString answerKind(const QColor &face)
{
    const int hue = face.hsvHue();
    const QString colour = hue == 240 ? QStringLiteral("синий") : hue == 0 ? QStringLiteral("красный")
                         : hue == 120 ? QStringLiteral("зелёный") : face.name();
    return QStringLiteral("ответ (%1)").arg(colour);
}

QString rowKind(const QLineEdit *row, int level)
{
    const bool milestone = level % 5 == 0;
    const bool current = row->text().mid(4, 1) == QLatin1String(">");
    return QStringLiteral("ряд лестницы %1%2").arg(current ? QStringLiteral("текущий") : QStringLiteral("в покое"),
                                                  milestone ? QStringLiteral(", несгораемый") : QString());
}

} // namespace

class TextContrast : public LifelinesFixture, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        LifelinesFixture::SetUp();
        appFont = QApplication::font();
    }
    void TearDown() override
    {
        LifelinesFixture::TearDown();
        // Large print grows the application's face and the banners' for the rest of the run.
        QApplication::setFont(appFont);
        SetBannerFontScale(1.0);
    }

    TForm1 &startSurveyed()
    {
        FormServices s = services(watching);
        s.banners = &painted;
        s.largePrint = GetParam();
        form = std::make_unique<TForm1>(s);
        form->show();
        QApplication::setActiveWindow(form.get());
        // Every pause of the game is a moment the player looks at the screen.
        watching.during = [this](int) { surveyGame(); };
        painted.whileShown = [this] { surveyGame(); };
        return *form;
    }

    void surveyGame()
    {
        TForm1 &f = *form;
        for (int level = 1; level <= kLevels; ++level) {
            QLineEdit *row = f.Edit[static_cast<size_t>(level)];
            if (row->isVisible())
                survey.note(rowKind(row, level), textcontrast::onPlain(shot(row)));
        }
        if (f.Memo1->isVisible() && !f.Memo1->toPlainText().isEmpty())
            survey.note(QStringLiteral("вопрос"), textcontrast::onPlain(shot(f.Memo1)));
        for (int tag = 1; tag <= 4; ++tag) {
            TGradBtn *b = f.FaqBtn[static_cast<size_t>(tag)];
            if (b->isVisible() && !b->Caption().isEmpty())
                survey.note(answerKind(b->BeginColor()), buttonText(b));
        }
        if (f.Tablo->isVisible() && !f.Label1->text().isEmpty())
            survey.note(QStringLiteral("табло"), labelText(f.Label1, f.Tablo));
        survey.note(QStringLiteral("строка состояния"), textcontrast::onPlain(shot(f.StatusBar1)));
        if (QWidget *banner = painted.current()) {
            // Beside the icon, drawn at (10, 10) in 32 x 32: the text never starts before x = 44.
            const QImage image = shot(banner);
            survey.note(painted.asked, textcontrast::onPlain(image, QRect(44, 0, image.width() - 44, image.height())));
        }
    }

    void surveyCall(TTelform &t)
    {
        survey.note(QStringLiteral("звонок: номер для набора"), labelText(t.Label1, &t));
        for (QToolButton *key : t.AlphaPanel1->findChildren<QToolButton *>()) {
            const QString digit = key->text();
            const QImage with = shot(key);
            key->setText(QString());
            const QImage without = shot(key);
            key->setText(digit);
            survey.note(QStringLiteral("звонок: клавиша"), textcontrast::onPicture(with, without));
        }
        survey.note(QStringLiteral("звонок: кнопка времени"), buttonText(t.TimeBtn));
        QTest::keyClicks(&t, QStringLiteral("12"));
        survey.note(QStringLiteral("звонок: набранный номер"), textcontrast::onPlain(shot(t.LCD991)));
        QTest::keyClick(&t, Qt::Key_Escape);
        QTest::keyClicks(&t, t.Label1->accessibleName().remove(QLatin1Char(' ')).right(7));
        survey.note(QStringLiteral("звонок: ответ друга"), labelText(t.Label1, &t));
    }

    /// Answers the question on screen right; a tease leaves it on screen, to be answered again.
    void answerRightUntilJudged()
    {
        const int level = form->Game.CurrentLevel;
        while (form->Game.CurrentLevel == level)
            answerRight();
    }

    PaintedBanners painted;
    Survey survey;
    QFont appFont;
};

TEST_P(TextContrast, EveryTextReadsAtLeastFourAndAHalfToOne)
{
    TForm1 &f = startSurveyed();
    dialogs.onModal = [this](QDialog &d) { surveyCall(lifelines::callWindow(d)); };
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Зоркий"));
    surveyGame();
    // A whole game won, with a friend called at level 3.
    while (f.Game.CurrentLevel >= 1 && f.Game.CurrentLevel <= kLevels) {
        if (f.Game.CurrentLevel == 3 && f.N5->isEnabled())
            QTest::keyClick(&f, Qt::Key_F4);
        answerRightUntilJudged();
    }
    // And one lost.
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Зоркий второй"));
    answerWrong();

    const QStringList seen = survey.kinds();
    for (const QString &kind : {QStringLiteral("вопрос"), QStringLiteral("ответ (синий)"),
                                QStringLiteral("ответ (красный)"), QStringLiteral("ответ (зелёный)"),
                                QStringLiteral("ряд лестницы текущий"), QStringLiteral("ряд лестницы текущий, несгораемый"),
                                QStringLiteral("ряд лестницы в покое"), QStringLiteral("ряд лестницы в покое, несгораемый"),
                                QStringLiteral("табло"), QStringLiteral("строка состояния"),
                                QStringLiteral("баннер #ffffff на #ff0000"), QStringLiteral("баннер #000000 на #00ff00"),
                                QStringLiteral("баннер #ffffff на #800000"), QStringLiteral("баннер #ffffff на #8080ff"),
                                QStringLiteral("звонок: номер для набора"), QStringLiteral("звонок: клавиша"),
                                QStringLiteral("звонок: кнопка времени"), QStringLiteral("звонок: набранный номер"),
                                QStringLiteral("звонок: ответ друга")})
        EXPECT_TRUE(seen.contains(kind)) << "never seen: " << kind.toStdString();
    EXPECT_EQ(survey.failing().join(QLatin1Char('\n')).toStdString(), "");
}

INSTANTIATE_TEST_SUITE_P(NormalAndLargePrint, TextContrast, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("LargePrint") : std::string("NormalPrint");
                         });
