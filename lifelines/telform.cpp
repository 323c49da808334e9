#include "telform.h"

#include "alphabar.h"
#include "announcer.h"
#include "clips.h"
#include "gradbtn.h"
#include "lcd99.h"
#include "pacer.h"
#include "pictures.h"
#include "textfit.h"
#include "zelgradient.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

namespace {
const QColor kLime(0x00, 0xFF, 0x00);
const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kMaroon(0x80, 0x00, 0x00);
constexpr int kDialledDigits = 7;
constexpr int kLabelPixels = 16;
/// The smallest the label's text steps down to: still read at a glance.
constexpr int kSmallestLabelPixels = 9;
/// The margin between the controls and the window's edge.
constexpr int kMargin = 8;
constexpr int kGapToTimeBtn = 4;

/// The character a key types. Escape, Enter and Backspace are known by the key itself: some
/// keyboards and input methods deliver them without their control character.
QChar typedCharacter(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Backspace:
        return QChar(8);
    default:
        break;
    }
    const QString text = event.text();
    return text.size() == 1 ? text[0] : QChar();
}

QFont pixelFont(const QString &family, int pixels, bool bold = false)
{
    QFont f(family);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}
} // namespace

TTelform::TTelform(Clips &clips, Pacer &pacer, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_clips(clips)
{
    setObjectName(QStringLiteral("Telform"));
    setFixedSize(451, 118);
    setFont(pixelFont(QStringLiteral("System"), 13));
    ZelGradient1 = new TZelGradient(this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(8, 8);
    Image1->setCursor(Qt::CrossCursor);
    Image1->hide();

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAttribute(Qt::WA_TranslucentBackground);
    Label1->setFont(pixelFont(QStringLiteral("MS Sans Serif"), kLabelPixels, true));
    m_labelFont = Label1->font();
    Label1->move(88, 8);
    setLabelColour(kLime);

    AlphaPanel1 = new TAlphaPanel(this);
    AlphaPanel1->setObjectName(QStringLiteral("AlphaPanel1"));
    AlphaPanel1->setGeometry(27, 8, 55, 72);
    AlphaPanel1->setBevelInner(TAlphaPanel::bvLowered);
    AlphaPanel1->setBevelOuter(TAlphaPanel::bvRaised);
    AlphaPanel1->setColor(kMaroon);
    QFont keys = pixelFont(QStringLiteral("MS Sans Serif"), 13);
    AlphaPanel1->setButtonFont(keys);
    AlphaPanel1->setCatchButtons(false);
    AlphaPanel1->setAlphaButtons({QStringLiteral("123"), QStringLiteral("456"), QStringLiteral("789"),
                                  QStringLiteral("*0#")});
    connect(AlphaPanel1, &TAlphaPanel::OnValueChange, this, &TTelform::AlphaPanel1ValueChange);

    LCD991 = new TLCD99(this);
    LCD991->setObjectName(QStringLiteral("LCD991"));
    LCD991->setGeometry(11, 85, 93, 21);
    LCD991->setColor(Qt::black);
    LCD991->setDigitNum(7);
    LCD991->setDigitSpacing(1);
    LCD991->setGapX(1);
    LCD991->setGapY(1);
    LCD991->setOnColor(QColor(0xFF, 0x00, 0x00));
    LCD991->setOffColor(Qt::black);
    LCD991->setSegmentSize(2);
    LCD991->setWaiter([&pacer](int ms) { pacer.wait(ms); });

    TimeBtn = new TGradBtn(this);
    TimeBtn->setObjectName(QStringLiteral("TimeBtn"));
    TimeBtn->setGeometry(370, 81, 73, 30);
    TimeBtn->setBeginColor(QColor(0xFF, 0x00, 0x00));
    TimeBtn->setEndColor(Qt::black);
    TimeBtn->setGradientStyle(TGradBtn::gsRectangle);
    TimeBtn->setTextStyle(TGradBtn::tsNormal);
    TimeBtn->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 13));
    TimeBtn->setFontColor(Qt::white);
    TimeBtn->setCaption(QString::number(kCallSeconds));
    // Its caption is the seconds left; a reader names it by what a press does.
    TimeBtn->setAccessibleName(QStringLiteral("Положить трубку"));
    connect(TimeBtn, &TGradBtn::clicked, this, &TTelform::TimeBtnClick);

    m_announcer = new Announcer(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TTelform::Timer1Timer);
    Timer1->start();

    // The window sees every key before its controls do.
    qApp->installEventFilter(this);
}

TTelform::~TTelform()
{
    qApp->removeEventFilter(this);
}

void TTelform::PrepareCall(int friendIndex, const QString &dialNumber, Dialler dial, QSize screen)
{
    m_dial = std::move(dial);
    FriendReply.clear();
    const QPixmap photo = BuiltinPicture(QStringLiteral("dr%1").arg(friendIndex));
    Image1->setPixmap(photo);
    Image1->resize(photo.size());
    setWindowTitle(QStringLiteral("Звонок другу!"));
    // At its place before its text, which is laid out to fit beside that left edge.
    Label1->move(88, Label1->y());
    setLabelText(QStringLiteral("Наберите номер телефона: \r\r        ") + dialNumber);
    // A reader would say the number as one large number; it is dialled digit by digit.
    QStringList digits;
    for (const QChar digit : dialNumber)
        digits << QString(digit);
    Label1->setAccessibleName(QStringLiteral("Наберите номер телефона: ") + digits.join(QLatin1Char(' ')));
    LCD991->setAccessibleName(QStringLiteral("Набранный номер"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QFont f = font();
    f.setPointSize(13);
    setFont(f);
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
    Image1->hide();
    AlphaPanel1->show();
    LCD991->show();
    LCD991->setValue(QStringLiteral("."));
    setLabelColour(kLime);
}

void TTelform::FormActivate()
{
    CallCountdown = kCallSeconds;
    TimeBtn->setCaption(QString::number(CallCountdown));
    tellSecondsLeft();
    m_announcer->announce(QStringLiteral("Звонок другу. ") + Label1->accessibleName() + QStringLiteral(". У вас %1 секунд.").arg(CallCountdown));
}

void TTelform::tellSecondsLeft()
{
    // Said at a few marks, not every second: a reader would speak of nothing else (it speaks
    // every change of the focused button's description too, so the seconds are not put there).
    // Once the friend has replied, the time left no longer matters.
    if (AlphaPanel1->isHidden())
        return;
    if (CallCountdown == 20 || CallCountdown == 10 || CallCountdown == 5)
        m_announcer->announce(QStringLiteral("Осталось %1 секунд.").arg(CallCountdown));
}

void TTelform::Timer1Timer()
{
    if (!isVisible())
        return;
    CallCountdown -= 1;
    TimeBtn->setCaption(QString::number(CallCountdown));
    tellSecondsLeft();
    // The time is up: the line goes dead without a sound.
    if (CallCountdown <= 0)
        close();
}

void TTelform::TimeBtnClick()
{
    m_clips.play("ringoff");
    close();
    if (onHangUp)
        onHangUp();
}

void TTelform::AlphaPanel1ValueChange()
{
    const QChar key = AlphaPanel1->ActiveButton();
    if (key.isNull())
        return;
    if (key == QLatin1Char('*') || key == QLatin1Char('#'))
        LCD991->setValue(QStringLiteral("."));
    else
        LCD991->setValue(LCD991->Value() + key);
    Okey();
}

bool TTelform::FormKeyPress(QChar key)
{
    bool taken = true;
    if (key.isDigit() && key.unicode() < 0x80) {
        LCD991->setValue(LCD991->Value() + key);
    } else if (key == QChar(13)) {
        TimeBtn->Click();
        return true;
    } else if (key == QChar(27)) {
        LCD991->setValue(QStringLiteral("."));
    } else if (key == QChar(8)) {
        QString value = LCD991->Value();
        value.chop(1);
        LCD991->setValue(value);
    } else {
        taken = false;
    }
    Okey();
    return taken;
}

void TTelform::Okey()
{
    // The number to dial is the end of the prompt.
    if (LCD991->Value() != m_labelText.right(kDialledDigits) || !m_dial)
        return;
    // The rules answer the number: the friend's words may come from the class's server.
    const std::optional<QString> reply = m_dial(LCD991->Value());
    if (!reply)
        return;
    FriendReply = *reply;
    m_clips.play("ringon");
    AlphaPanel1->hide();
    Image1->show();
    LCD991->hide();
    Label1->move(70, Label1->y());
    setLabelColour(kAqua);
    setLabelText(FriendReply);
    m_announcer->announce(Label1->accessibleName());
}

void TTelform::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TTelform::keyPressEvent(QKeyEvent *event)
{
    // Escape clears the display here; it must not close the window as it would a dialog box.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

bool TTelform::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this && isVisible()) {
        const QChar key = typedCharacter(*static_cast<QKeyEvent *>(event));
        if (!key.isNull() && FormKeyPress(key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TTelform::setLabelText(const QString &text)
{
    m_labelText = text;
    // Carriage returns break the lines, as they do in the stored texts. The window keeps its
    // size while a bank's answer may be of any length: the text wraps, and its font steps down,
    // until it fits; what no readable font holds keeps its beginning and end, the rest a hover away.
    const QString lines = QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const FittedText fitted = FitText(lines, m_labelFont, labelBoxes(), kSmallestLabelPixels);
    Label1->setFont(fitted.font);
    Label1->setText(fitted.text);
    Label1->setToolTip(fitted.whole ? QString() : lines);
    // A reader reads the whole text, whatever the window could fit.
    Label1->setAccessibleName(QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')).simplified());
    Label1->adjustSize();
}

QList<QSize> TTelform::labelBoxes() const
{
    const QPoint at = Label1->pos();
    // Above the time button the text may take the window's width; beside it, its height.
    return {QSize(width() - kMargin - at.x(), TimeBtn->y() - kGapToTimeBtn - at.y()),
            QSize(TimeBtn->x() - kGapToTimeBtn - at.x(), height() - kMargin - at.y())};
}

void TTelform::setLabelColour(const QColor &colour)
{
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::WindowText, colour);
    Label1->setPalette(pal);
}
