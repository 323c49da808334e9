// Setting up a question and judging an answer.

#include "tform1.h"

#include "accessiblegame.h"
#include "announcer.h"
#include "banners.h"
#include "cp1251.h"
#include "files.h"
#include "gradbtn.h"
#include "illustration.h"
#include "illustrationpane.h"
#include "pacer.h"
#include "phrases.h"
#include "stringres.h"

#include <QApplication>
#include <QFrame>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kLime(0x00, 0xFF, 0x00);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kWrongBanner(0x80, 0x80, 0xFF);
const QColor kMaroon(0x80, 0x00, 0x00);
constexpr int kIllustrationHeight = 240;

} // namespace

void TForm1::SetGame(int level)
{
    Memo1->clear();
    const LevelQuestion q = m_rules->nextQuestion();
    if (gone())
        return;
    if (!q.error.isEmpty()) {
        endWithoutQuestion(q.error);
        return;
    }
    Memo1->setPlainText(cp1251::decode(q.question));
    if (!q.illustration.isEmpty())
        showIllustration(q.illustration);
    for (int tag = 1; tag <= 4; ++tag)
        FaqBtn[static_cast<size_t>(tag)]->setBeginColor(kBlue);
    for (int p = 1; p <= 4; ++p) {
        FaqBtn[static_cast<size_t>(p)]->setCaption(QString(QLatin1Char(static_cast<char>('A' + p - 1)))
                                                   + QStringLiteral(". ")
                                                   + cp1251::decode(q.captions[static_cast<size_t>(p)]));
    }
    fitTexts();
    New(level);
    TabloV(level, false);
    ResImage(QStringLiteral("game"), QString());
    repaint();
    Wave(Game.MusicName);
    Timer2->start();
    m_tickHeld = false;
    releaseAnswerFocus();
    std::array<QString, 5> captions;
    for (size_t tag = 1; tag <= 4; ++tag) {
        captions[tag] = FaqBtn[tag]->Caption();
        // Qt tells a reader of every such change, even to the same words: only real ones.
        if (!FaqBtn[tag]->accessibleDescription().isEmpty())
            FaqBtn[tag]->setAccessibleDescription(QString());
        if (!FaqBtn[tag]->accessibleName().isEmpty())
            FaqBtn[tag]->setAccessibleName(QString());
    }
    m_announcer->announce(QuestionAnnouncement(level, Memo1->toPlainText(), captions));
}

void TForm1::fitTexts()
{
    // Smaller than this a caption would not be read at a glance on any school screen.
    constexpr int kSmallestPoints = 7;
    for (int tag = 1; tag <= 4; ++tag) {
        TGradBtn *button = FaqBtn[static_cast<size_t>(tag)];
        QFont face = button->font();
        face.setPointSize(m_layout.profile.answerFont);
        while (face.pointSize() > kSmallestPoints && !button->CaptionFits(face))
            face.setPointSize(face.pointSize() - 1);
        button->setFont(face);
    }
    QFont face = Memo1->font();
    face.setPointSize(m_layout.profile.questionFont);
    Memo1->setFont(face);
    while (face.pointSize() > kSmallestPoints && Memo1->document()->size().height() > Memo1->viewport()->height()) {
        face.setPointSize(face.pointSize() - 1);
        Memo1->setFont(face);
    }
}

void TForm1::showIllustration(const QByteArray &reference)
{
    const QString address = IllustrationLocation(cp1251::decode(reference), m_services.programFolder);
    if (address.isEmpty())
        return;
    IllustrationAddress = address;
    WebBrowser1->setFixedHeight(kIllustrationHeight);
    // The ladder stands over the pane's right end: what the pane shows (a page, a picture, the
    // line that says it cannot be shown) lies left of it, where nothing covers it.
    auto *layout = qobject_cast<QBoxLayout *>(WebBrowser1->layout());
    if (!layout)
        layout = new QVBoxLayout(WebBrowser1);
    layout->setContentsMargins(0, 0, std::max(0, WebBrowser1->width() - Panel3->x()), 0);
    // The pane lies over the pictures, the ladder over the pane.
    WebBrowser1->raise();
    Panel3->raise();
    if (m_services.browse)
        m_services.browse(WebBrowser1, address);
}

void TForm1::MarkButton(int n, const QColor &colour)
{
    for (int tag = 1; tag <= 4; ++tag)
        FaqBtn[static_cast<size_t>(tag)]->setEndColor(Qt::black);
    if (n < 1 || n > 4)
        return;
    // Lime behind white letters is pale where a large caption comes near the edge: the verdict
    // colour is deepened just enough there for the answer to stay readable.
    TGradBtn *button = FaqBtn[static_cast<size_t>(n)];
    button->setBeginColor(button->ReadableBeginColor(colour));
    button->repaint();
}

void TForm1::banner(const QByteArray &text, const QColor &background, const QColor &textColour)
{
    m_services.banners->showBanner(LoadStr(StringId::Title), cp1251::decode(text), background, textColour);
}

void TForm1::FaqBtn1Click(int tag)
{
    // One evaluation at a time: a click that arrives while one runs is not judged.
    if (m_busy || m_droppingAnswers || !m_rules->questionOpen())
        return;
    // Fifty-fifty took this answer away: its key, a click or Enter on its place choose nothing.
    if (FaqBtn[static_cast<size_t>(tag)]->Caption().isEmpty())
        return;
    const Sequence sequence(*this);
    m_busy = true;
    m_tickHeld = false;
    if (Panel2->isVisible()) {
        Timer2->stop();
        hideAudience();
    }
    Wave("btnclick");
    ResImage(QStringLiteral("vedok"), cp1251::decode(m_rules->settings().host));
    const Verdict verdict = m_rules->click(tag);
    if (gone()) {
        // Nothing was judged: the game is left once the sequence ends.
    } else if (verdict.teased) {
        banner(verdict.tease, kBlue, kYellow);
        Wave("pause", ClipPlay::ToEndOrPause);
        m_services.banners->closeBanner();
    } else {
        judge(tag, verdict);
    }
    m_busy = false;
    // A tick held during the sequence comes now, unless the clock was started afresh meanwhile
    // (a new question, the idle screen) or stopped.
    if (std::exchange(m_tickHeld, false) && Timer2->isActive())
        Timer2Timer();
    dropHeldAnswers();
}

// Clicks and keys that came while the host spoke were held until now. An answer among them was
// meant for the question that has gone (a double click, a key pressed twice); carried out now it
// would answer the next question unread, and could cost the student the lesson. Those are
// dropped; anything else held (a stop, a lifeline, a new game) is carried out as usual.
void TForm1::dropHeldAnswers()
{
    m_droppingAnswers = true;
    QCoreApplication::processEvents();
    m_droppingAnswers = false;
}

// The button clicked had the keyboard focus, and Qt hands it to another answer when the buttons
// are hidden, or gives it back to one when the window is active again after the call window: a
// stray Enter would then answer that one. The focus is parked on the window's client area
// instead, which Qt then restores, and where Enter does nothing.
void TForm1::releaseAnswerFocus()
{
    // With no focus at all, Qt gives it to the first answer button when the window is active again.
    QWidget *focused = focusWidget();
    bool onAnswer = false;
    for (int tag = 1; tag <= 4; ++tag)
        onAnswer = onAnswer || focused == FaqBtn[static_cast<size_t>(tag)];
    if (!focused || onAnswer)
        Client->setFocus(Qt::OtherFocusReason);
}

void TForm1::hideAudience()
{
    // The chart takes no focus, yet should anything in the panel hold it, Qt would hand it on
    // to answer A as the panel goes. The focus is moved only then: an answer the student
    // tabbed to keeps it, however often the music starts again.
    if (Panel2->isHidden())
        return;
    QWidget *focused = focusWidget();
    if (focused && Panel2->isAncestorOf(focused))
        Client->setFocus(Qt::OtherFocusReason);
    Panel2->hide();
}

// A page's browser gives itself the keyboard focus when it loads, and a click gives it too;
// the window's keys (F1 to F6, Alt+X, 1 to 4) would then stop at the page. The pane is
// something to look at: the focus goes back to the client area at once.
void TForm1::keepFocusFromPane(QWidget *, QWidget *now)
{
    if (now && WebBrowser1->isAncestorOf(now))
        Client->setFocus(Qt::OtherFocusReason);
}

void TForm1::collapseIllustration()
{
    WebBrowser1->setFixedHeight(1);
    // What the pane showed would stay on as a line across the screen under the toolbar, and a
    // page's sound or video would play on unseen.
    HideIllustration(WebBrowser1);
}

void TForm1::judge(int tag, const Verdict &verdict)
{
    MarkButton(tag, kRed);
    Wave("pause");
    m_services.pacer->wait(300);
    collapseIllustration();
    New(verdict.level);
    MarkButton(verdict.correctButton, kLime);
    // The colours say it on the screen; the descriptions and the announcement say it aloud.
    TGradBtn *right = FaqBtn[static_cast<size_t>(verdict.correctButton)];
    if (!verdict.right)
        FaqBtn[static_cast<size_t>(tag)]->setAccessibleDescription(QStringLiteral("неверно"));
    right->setAccessibleDescription(QStringLiteral("верно"));
    m_announcer->announce(VerdictAnnouncement(verdict.right, right->Caption()));
    m_services.pacer->wait(250);
    if (!verdict.right)
        wrongAnswer(verdict);
    else
        correctAnswer(verdict);
}

void TForm1::wrongAnswer(const Verdict &verdict)
{
    banner(WrongPhrases(verdict.sound), kWrongBanner, Qt::white);
    Wave("false", ClipPlay::ToEndOrPause);
    m_services.banners->closeBanner();
    Wave("final", ClipPlay::ToEndOrPause);
    finishGame(GameEnding::Wrong);
}

void TForm1::correctAnswer(const Verdict &verdict)
{
    const int level = verdict.level;
    TabloV(level, true);
    if (verdict.milestone != 0) {
        banner(verdict.milestone == 5 ? cp1251::text(u" ВАШИ ЗНАНИЯ ОЦЕНЕНЫ НА УДОВЛЕТВОРИТЕЛЬНО!")
                                      : cp1251::text(u" ВЫ ЗАРАБОТАЛИ ОЦЕНКУ ХОРОШО!"),
               kLime, Qt::black);
        Wave("summa", ClipPlay::ToEndOrPause);
    } else {
        banner(CorrectPhrases(verdict.remark), kRed, Qt::white);
        Wave(CorrectSounds(verdict.sound), ClipPlay::ToEndOrPause);
    }
    Wave("change", ClipPlay::ToEnd);
    m_services.banners->closeBanner();
    m_rules->secure();
    enableStop();
    const bool won = m_rules->moveUp();
    if (gone())
        return;
    if (won) {
        banner(cp1251::encode(LoadStr(StringId::WinMessage)).value_or(QByteArray()), kMaroon, Qt::white);
        Wave("MILLION", ClipPlay::ToEndOrPause);
        m_services.banners->closeBanner();
        finishGame(GameEnding::Won);
        return;
    }
    SetGame(Game.CurrentLevel);
}
