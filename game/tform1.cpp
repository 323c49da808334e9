#include "tform1.h"

#include "announcer.h"
#include "windowbanners.h"
#include "dialogs.h"
#include "gradbtn.h"
#include "pictures.h"
#include "telform.h"
#include "zelgradient.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QColor kFormColour(0x00, 0x28, 0x51);
constexpr int kSpeedBarHeight = 38;
constexpr int kStatusBarHeight = 19;
constexpr int kRowHeight = 15;

QFont makeFont(const QString &family, int pixelSize, bool bold)
{
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleHint(family == QLatin1String("Times New Roman") ? QFont::Serif : QFont::TypeWriter);
    return f;
}

// The ladder's terminal face. Where the bitmap "Terminal" font is missing, a monospaced
// face at 11 px keeps the widest row ("1.000.000 - 5") inside the ladder panel.
QFont rowFont()
{
    QFont f(QStringLiteral("Terminal"));
    f.setStyleHint(QFont::TypeWriter);
    f.setBold(true);
    f.setPixelSize(QFontInfo(f).family() == QLatin1String("Terminal") ? 12 : 11);
    return f;
}

// A row is 100 px wide, or as wide as its longest text needs in the font at hand.
int rowWidth(const QLineEdit *row)
{
    return std::max(100, row->fontMetrics().horizontalAdvance(QString::fromLatin1(LadderRowText(15))) + 4);
}

void paintSolid(QWidget *w, const QColor &background, const QColor &text = Qt::white)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Text, text);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}
} // namespace

TForm1::TForm1(const FormServices &services, QWidget *parent)
    : QMainWindow(parent, Qt::FramelessWindowHint)
    , m_services(services)
    , m_rules(makeRules())
    , m_clips(*services.sound, *services.pacer, services.programFolder)
{
    setWindowTitle(QStringLiteral("Таллори!"));
    setFont(makeFont(QStringLiteral("Times New Roman"), 16, true));
    buildControls();
    buildMenu();
    resize(m_services.screen);
    FormCreate();
}

TForm1::~TForm1() = default;

TTelform *TForm1::Telform()
{
    // Its keypad, display, fonts and timer would cost every start-up, and most games never
    // call a friend.
    if (!m_telform) {
        m_telform = new TTelform(m_clips, *m_services.pacer, this);
        m_telform->onHangUp = [this] { m_rules->hangUp(); };
    }
    return m_telform;
}

void TForm1::buildControls()
{
    Client = new QWidget(this);
    Client->setObjectName(QStringLiteral("Client"));
    // Where the keyboard focus rests when no answer button should hold it (see releaseAnswerFocus).
    Client->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = Client->palette();
    pal.setColor(QPalette::Window, kFormColour);
    Client->setPalette(pal);
    setCentralWidget(Client);
    ZelGradient1 = new TZelGradient(Client);
    ZelGradient1->setColorTop(Qt::black);
    ZelGradient1->setColorBottom(QColor(0x00, 0x00, 0x80));

    buildToolbar();
    WebBrowser1 = new QWidget(Client);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setFixedHeight(1);
    WebBrowser1->setAccessibleName(QStringLiteral("Иллюстрация к вопросу"));
    Image1 = new QLabel(Client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Картинка ведущего"));
    m_announcer = new Announcer(Client);
    buildLadder();
    buildQuestion();
    Panel2 = new QFrame(Client);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setAccessibleName(QStringLiteral("Помощь аудитории"));
    Panel2->hide();
    buildBoard();

    StatusBar1 = new QStatusBar(Client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setAccessibleName(QStringLiteral("Строка состояния"));
    QFont small = QApplication::font();
    small.setPixelSize(11);
    StatusBar1->setFont(small);
    paintSolid(StatusBar1, QColor(0xF0, 0xF0, 0xF0), Qt::black);
    auto *minimise = new QLabel(QStringLiteral("Свернуть!"), StatusBar1);
    minimise->setAlignment(Qt::AlignCenter);
    minimise->setFont(small);
    // The panel is 50 px wide, or as wide as its caption needs in the font at hand.
    minimise->setFixedWidth(std::max(50, minimise->fontMetrics().horizontalAdvance(minimise->text()) + 8));
    StatusBar1->addWidget(minimise);
    // In class mode: said while the class's server does not answer, and gone when it does.
    WaitingLine = new QLabel(StatusBar1);
    WaitingLine->setObjectName(QStringLiteral("WaitingLine"));
    WaitingLine->setFont(small);
    WaitingLine->hide();
    StatusBar1->addWidget(WaitingLine, 1);
    StatusBar1->installEventFilter(this);
    minimise->installEventFilter(this);

    Timer2 = new QTimer(this);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &TForm1::keepFocusFromPane);
}

void TForm1::scaleLadderAndBoard()
{
    const double scale = m_layout.scale;
    auto *rows = Panel3->findChild<QWidget *>(QStringLiteral("Panel3Client"));
    QFont face = rowFont();
    face.setPixelSize(int(std::lround(face.pixelSize() * scale)));
    rows->setFont(face);
    int width = 0;
    for (int level = 1; level <= kLevels; ++level) {
        QLineEdit *row = Edit[static_cast<size_t>(level)];
        width = width > 0 ? width : rowWidth(row);
        row->setGeometry(row->x(), (kLevels - level) * m_layout.rowHeight, width, m_layout.rowHeight);
    }
    Tablo->setFont(makeFont(QStringLiteral("Times New Roman"), int(std::lround(32 * scale)), true));
    // Menus, input boxes, message boxes and banners take the application's face.
    // Scaled from the face the program started with, however many windows are made.
    static const QFont started = QApplication::font();
    QFont texts = started;
    texts.setPointSizeF(started.pointSizeF() * scale);
    QApplication::setFont(texts);
    SetBannerFontScale(scale);
    QFont small = StatusBar1->font();
    small.setPixelSize(int(std::lround(11 * scale)));
    StatusBar1->setFont(small);
}

void TForm1::buildLadder()
{
    Panel3 = new QFrame(Client);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setAccessibleName(QStringLiteral("Лестница вопросов"));
    Panel3->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel3->setLineWidth(1);
    paintSolid(Panel3, Qt::black);
    Panel3->setGeometry(635, 45, 160, 229);
    Panel3->hide();
    // The rows sit in the panel's client area, inside its border.
    auto *rows = new QWidget(Panel3);
    rows->setObjectName(QStringLiteral("Panel3Client"));
    auto *fill = new QVBoxLayout(Panel3);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(rows);
    // Every row has the same face and width. The face is the client area's, for the rows to
    // take as they are made: a row laid out in the window's face first would have its text
    // shaped twice, and that face looked up for nothing.
    rows->setFont(rowFont());
    int width = 0;
    for (int level = 1; level <= kLevels; ++level) {
        auto *row = new QLineEdit(QString::fromLatin1(LadderRowText(level)), rows);
        row->setObjectName(QStringLiteral("Edit%1").arg(level));
        row->setReadOnly(true);
        row->setFrame(false);
        row->setFocusPolicy(Qt::NoFocus);
        row->setTextMargins(0, 0, 0, 0);
        paintSolid(row, Qt::black, Qt::white);
        width = width > 0 ? width : rowWidth(row);
        row->setGeometry(26, (kLevels - level) * kRowHeight, width, kRowHeight);
        row->setCursorPosition(0);
        Edit[static_cast<size_t>(level)] = row;
    }
}

void TForm1::buildQuestion()
{
    Memo1 = new QTextEdit(Client);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Вопрос"));
    Memo1->setReadOnly(true);
    Memo1->setFrameStyle(QFrame::NoFrame);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    QFont memoFont(QStringLiteral("Courier New"));
    memoFont.setStyleHint(QFont::TypeWriter);
    memoFont.setPixelSize(16);
    Memo1->setFont(memoFont);
    paintSolid(Memo1, Qt::black, Qt::white);
    Memo1->setFixedHeight(70);
    Memo1->hide();

    for (int tag = 1; tag <= 4; ++tag) {
        auto *button = new TGradBtn(Client);
        button->setObjectName(QStringLiteral("FaqBtn%1").arg(tag));
        button->setTag(tag);
        button->setBeginColor(QColor(0x00, 0x00, 0xFF));
        button->setEndColor(Qt::black);
        button->setGradientStyle(TGradBtn::gsRectangle);
        button->setBtnFrameSize(0);
        button->setTextStyle(TGradBtn::tsNormal);
        QFont f(QStringLiteral("Courier New"));
        f.setStyleHint(QFont::TypeWriter);
        f.setPixelSize(11);
        button->setFont(f);
        button->setFontColor(Qt::white);
        // A long answer goes on two lines rather than off the button's ends.
        button->setWordWrap(true);
        button->resize(button->width(), 28);
        button->hide();
        connect(button, &TGradBtn::clicked, this, [this, tag] { FaqBtn1Click(tag); });
        FaqBtn[static_cast<size_t>(tag)] = button;
    }
}

void TForm1::buildBoard()
{
    Tablo = new QFrame(Client);
    Tablo->setObjectName(QStringLiteral("Tablo"));
    Tablo->setAccessibleName(QStringLiteral("Табло"));
    Tablo->setFrameStyle(QFrame::NoFrame);
    Tablo->setFont(makeFont(QStringLiteral("Times New Roman"), 32, true));
    Tablo->hide();
    Image5 = new QLabel(Tablo);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->setAccessibleName(QStringLiteral("Табло"));
    Image5->setScaledContents(true);
    // Its picture is put in the first time the board shows (see eventFilter): the board is
    // hidden until the first correct answer, and the picture is the largest the window has.
    Label1 = new QLabel(Tablo);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setAttribute(Qt::WA_TranslucentBackground);
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::WindowText, QColor(0x00, 0xFF, 0x00));
    Label1->setPalette(pal);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutDocked();
}

void TForm1::layoutDocked()
{
    if (!Client)
        return;
    const int w = Client->width();
    const int h = Client->height();
    SpeedBar1->setGeometry(0, 0, w, kSpeedBarHeight);
    WebBrowser1->setGeometry(0, kSpeedBarHeight, w, WebBrowser1->height());
    StatusBar1->setGeometry(0, h - kStatusBarHeight, w, kStatusBarHeight);
    Tablo->move(Tablo->x(), h - kStatusBarHeight - Tablo->height());
    Image5->setGeometry(0, 0, Tablo->width(), Tablo->height());
    Label1->setGeometry(0, 0, Tablo->width(), Tablo->height());
}

void TForm1::failure(const QString &message)
{
    QString text = message;
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    m_services.dialogs->showFailure(text);
}
