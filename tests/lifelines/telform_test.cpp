// The call window as the player sees it: its size, the prompt, the keypad's display, the time
// button, and the friend's reply, read from the window's pixels and captions.

#include "announcer.h"
#include "clips.h"
#include "fakes/fakesound.h"
#include "gradbtn.h"
#include "lcd99.h"
#include "telform.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

bool isRed(QRgb c)
{
    return qRed(c) >= 200 && qGreen(c) <= 60 && qBlue(c) <= 60;
}
bool isBlack(QRgb c)
{
    return qRed(c) <= 30 && qGreen(c) <= 30 && qBlue(c) <= 30;
}
bool isLime(QRgb c)
{
    return qGreen(c) >= 200 && qRed(c) <= 60 && qBlue(c) <= 60;
}
bool isWhite(QRgb c)
{
    return qRed(c) >= 220 && qGreen(c) >= 220 && qBlue(c) >= 220;
}

/// The pixels of an image's rectangle that pass a colour test.
QList<QPoint> pixelsWhere(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    QList<QPoint> found;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (test(image.pixel(x, y)))
                found << QPoint(x, y);
        }
    }
    return found;
}

QString withoutBlanks(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

/// The smallest text the reply may step down to and still be read.
constexpr int kReadablePixels = 9;

} // namespace

class CallWindow : public ::testing::Test
{
protected:
    /// Prepares a call to the number with the reply, shows the window and dials the digits.
    void call(const QString &number, const QString &reply, const QString &dialled = QString())
    {
        const auto dial = [number, reply](const QString &digits) {
            return digits == number ? std::optional<QString>(reply) : std::nullopt;
        };
        window.PrepareCall(4, number, dial, QSize(1024, 768));
        window.show();
        QTest::keyClicks(&window, dialled);
    }

    /// Checks that the label shows every character of the reply inside the window: the label
    /// within the window and clear of the time button, and its text, measured in its own font,
    /// within the label.
    void expectWhollyShown(const QString &reply)
    {
        const QLabel *label = window.Label1;
        EXPECT_TRUE(window.rect().contains(label->geometry())) << label->geometry().width() << " wide";
        EXPECT_FALSE(label->geometry().intersects(window.TimeBtn->geometry()));
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect drawn = QFontMetrics(label->font()).boundingRect(label->contentsRect(), flags, label->text());
        EXPECT_TRUE(label->contentsRect().contains(drawn)) << drawn.width() << "x" << drawn.height();
        EXPECT_EQ(withoutBlanks(label->text()), withoutBlanks(reply));
        EXPECT_GE(QFontInfo(label->font()).pixelSize(), kReadablePixels);
    }

    Timeline timeline;
    FakePacer pacer{timeline};
    FakeSound sound{timeline};
    QTemporaryDir program;
    Clips clips{sound, pacer, program.path() + QLatin1Char('/')};
    TTelform window{clips, pacer};
};

TEST_F(CallWindow, DiallingShowsTheLimePromptTheRedDisplayAndTheCountdown)
{
    call(QStringLiteral("3421099"), QStringLiteral("Бабушка Анна:\rНе знаю!"));
    EXPECT_EQ(window.size(), QSize(451, 118));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Звонок другу!"));
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Наберите номер телефона: \n\n        3421099"));
    EXPECT_EQ(window.TimeBtn->Caption(), QStringLiteral("30"));
    EXPECT_EQ(window.TimeBtn->geometry(), QRect(370, 81, 73, 30));
    QImage shot = window.grab().toImage();

    // The prompt is lime and begins at 88, to the right of the keypad.
    const QList<QPoint> lime = pixelsWhere(shot, shot.rect(), isLime);
    ASSERT_FALSE(lime.isEmpty());
    int left = shot.width();
    for (const QPoint &p : lime)
        left = std::min(left, p.x());
    EXPECT_GE(left, 88);
    EXPECT_LE(left, 92);

    // The time button: red at its edge, darker towards its middle, and the white "30".
    EXPECT_TRUE(isRed(shot.pixel(372, 96)));
    EXPECT_LT(qRed(shot.pixel(392, 96)), 180);
    EXPECT_FALSE(pixelsWhere(shot, QRect(370, 81, 73, 30), isWhite).isEmpty());

    // The display: seven cells, dark before a digit is dialled, red segments after.
    const int cellLefts[] = {2, 15, 28, 41, 54, 67, 80};
    for (const int x : cellLefts)
        EXPECT_TRUE(isBlack(shot.pixel(11 + x + 5, 85 + 1))) << x;
    QTest::keyClicks(&window, QStringLiteral("8888888"));
    shot = window.grab().toImage();
    for (const int x : cellLefts) {
        EXPECT_TRUE(isRed(shot.pixel(11 + x + 5, 85 + 1))) << "top of the cell at " << x;
        EXPECT_TRUE(isRed(shot.pixel(11 + x + 5, 85 + 10))) << "middle of the cell at " << x;
        EXPECT_TRUE(isRed(shot.pixel(11 + x + 5, 85 + 19))) << "bottom of the cell at " << x;
        EXPECT_TRUE(isBlack(shot.pixel(11 + x - 1, 85 + 1))) << "gap before the cell at " << x;
    }
    EXPECT_TRUE(pixelsWhere(shot, QRect(11 + 92, 85, 1, 21), isRed).isEmpty()); // no eighth cell
}

// The answer is the bank's text, of any length; the window keeps its size, and the reply wraps
// and steps its font down until all of it shows, up to the closing quote and "!".
TEST_F(CallWindow, ALongReplyShowsWholeInsideTheWindow)
{
    const QString answer = QStringLiteral("B. ВЕРНЫЙ ОТВЕТ НОМЕР 1 ТОЧНО ВЕРНЫЙ, ДЛИННЫЙ, КАК ЕГО НАПИСАЛ УЧИТЕЛЬ "
                                          "ДЛЯ ТЕХ, КТО ЧИТАЕТ ВНИМАТЕЛЬНО: СОРОК ДВА ПОПУГАЯ И ЕЩЁ ОДНО "
                                          "КРЫЛЫШКО ПОПУГАЯ");
    const QStringList replies = {
        QStringLiteral("Учительница Ольга Сергеевна:\rЯ думаю, \rчто правильный ответ:\r\"%1\"!").arg(answer),
        QStringLiteral("Учительница Ольга Сергеевна:\rМожет это и неправильно,\r но я бы рискнул и ответил \r\"%1\"!")
            .arg(answer),
        // One word longer than a line: it breaks inside.
        QStringLiteral("Учительница Ольга Сергеевна:\rЯ больше склоняюсь \rк ответу \"C. %1\"!")
            .arg(QString(70, QChar(0x0416))),
    };
    for (const QString &reply : replies) {
        call(QStringLiteral("4211099"), reply, QStringLiteral("4211099"));
        ASSERT_FALSE(window.LCD991->isVisible());
        EXPECT_EQ(window.size(), QSize(451, 118));
        expectWhollyShown(reply);
        window.close();
    }
}

// Even a reply too long for any readable font keeps its beginning and its end in sight, and the
// whole of it is a hover away.
TEST_F(CallWindow, AReplyTooLongForTheWindowKeepsItsBeginningAndEnd)
{
    QString answer;
    for (int i = 1; i <= 200; ++i)
        answer += QStringLiteral("СЛОВО%1 ").arg(i);
    const QString reply = QStringLiteral("Бабушка Анна:\rЯ думаю, \rчто правильный ответ:\r\"A. %1\"!").arg(answer.trimmed());
    call(QStringLiteral("4211099"), reply, QStringLiteral("4211099"));
    const QLabel *label = window.Label1;
    EXPECT_TRUE(window.rect().contains(label->geometry()));
    EXPECT_FALSE(label->geometry().intersects(window.TimeBtn->geometry()));
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Бабушка Анна:\nЯ думаю,")));
    EXPECT_TRUE(label->text().endsWith(QStringLiteral("СЛОВО200\"!")));
    EXPECT_TRUE(label->text().contains(QChar(0x2026)));
    EXPECT_EQ(label->toolTip(), QString(reply).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    EXPECT_GE(QFontInfo(label->font()).pixelSize(), kReadablePixels);
}

// What a screen reader is told in the call window: the number to dial digit by digit as the
// window opens, the countdown at a few marks only until the friend replies, and the friend's
// whole reply however small the window set it. The seconds are not on the focused hang-up
// button, whose every change a reader speaks.
TEST_F(CallWindow, ReaderHearsTheNumberDigitByDigitTheCountdownMarksAndTheReply)
{
    auto *announcer = window.findChild<Announcer *>();
    ASSERT_NE(announcer, nullptr);
    QSignalSpy said(announcer, &Announcer::announced);
    call(QStringLiteral("3421099"), QStringLiteral("Бабушка Анна:\rДумаю, \"B\"!"));
    ASSERT_EQ(said.count(), 1);
    EXPECT_EQ(said.takeFirst().at(0).toString(),
              QStringLiteral("Звонок другу. Наберите номер телефона: 3 4 2 1 0 9 9. У вас 30 секунд."));
    for (int second = 0; second < 11; ++second)
        window.Timer1Timer();
    QStringList marks;
    for (const QList<QVariant> &s : said)
        marks << s.at(0).toString();
    EXPECT_EQ(marks, (QStringList{QStringLiteral("Осталось 20 секунд.")}));
    EXPECT_TRUE(window.TimeBtn->accessibleDescription().isEmpty());
    said.clear();
    QTest::keyClicks(&window, QStringLiteral("3421099"));
    ASSERT_EQ(said.count(), 1);
    EXPECT_EQ(said.last().at(0).toString(), QStringLiteral("Бабушка Анна: Думаю, \"B\"!"));
    for (int second = 0; second < 15; ++second)
        window.Timer1Timer();
    EXPECT_EQ(said.count(), 1) << "the countdown goes on after the reply: " << said.last().at(0).toString().toStdString();
}
