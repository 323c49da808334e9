#include "gradbtn.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcutEvent>

TGradBtn::TGradBtn(QWidget *parent) : QWidget(parent)
{
    resize(75, 25);
    // The face covers every pixel, so there is nothing underneath worth erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

TGradBtn::~TGradBtn() = default;

QSize TGradBtn::sizeHint() const
{
    return QSize(75, 25);
}

// --- properties ---------------------------------------------------------------------------

void TGradBtn::setColor(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    update();
}

void TGradBtn::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    m_captionPlain = MakePlainCaption(caption);
    updateAccelerator();
    update();
    // A reader names the button by its caption, and a button blanked to no caption can no
    // longer be pressed: tell it both.
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessible::State usable;
    usable.disabled = true;
    QAccessibleStateChangeEvent changed(this, usable);
    QAccessible::updateAccessibility(&changed);
}

void TGradBtn::setFontColor(const QColor &color) { setColor(m_fontColor, color); }
void TGradBtn::setDisabledColor(const QColor &color) { setColor(m_disabledColor, color); }
void TGradBtn::setBtnHiliteClr(const QColor &color) { setColor(m_btnHiliteClr, color); }
void TGradBtn::setBtnShadowClr(const QColor &color) { setColor(m_btnShadowClr, color); }
void TGradBtn::setTxtHiliteClr(const QColor &color) { setColor(m_txtHiliteClr, color); }
void TGradBtn::setTxtShadowClr(const QColor &color) { setColor(m_txtShadowClr, color); }
void TGradBtn::setBeginColor(const QColor &color) { setColor(m_beginColor, color); }
void TGradBtn::setEndColor(const QColor &color) { setColor(m_endColor, color); }

void TGradBtn::setBtnFrameSize(int size)
{
    // A bevel must leave room for the caption; no bevel at all fits any button, and a negative
    // width means nothing.
    if (size < 0 || (size > 0 && (size > width() / 2 - 5 || size > height() / 2 - 5)))
        return;
    if (m_btnFrameSize == size)
        return;
    m_btnFrameSize = size;
    update();
}

void TGradBtn::setSwapColors(bool swap)
{
    if (m_swapColors == swap)
        return;
    m_swapColors = swap;
    update();
}

void TGradBtn::setShowFocus(bool show)
{
    if (m_showFocus == show)
        return;
    m_showFocus = show;
    update();
}

void TGradBtn::setGradientStyle(TGradientStyle style)
{
    if (m_gradientStyle == style)
        return;
    m_gradientStyle = style;
    update();
}

void TGradBtn::setTextStyle(TTextStyle style)
{
    if (m_textStyle == style)
        return;
    m_textStyle = style;
    update();
}

void TGradBtn::setTextShadeType(TShadeType shade)
{
    if (m_textShadeType == shade)
        return;
    m_textShadeType = shade;
    update();
}

void TGradBtn::setJustification(TJustification justification)
{
    if (m_justification == justification)
        return;
    m_justification = justification;
    update();
}

void TGradBtn::setWordWrap(bool wrap)
{
    if (m_wordWrap == wrap)
        return;
    m_wordWrap = wrap;
    update();
}

void TGradBtn::setTag(int tag)
{
    m_tag = tag;
}

void TGradBtn::setPresets(TPreset preset)
{
    // The schemes are a designer's convenience: a running program keeps the look it was given.
    if (!m_designing || m_presets == preset)
        return;
    applyPreset(preset);
    m_presets = preset;
    update();
}

void TGradBtn::setDesigning(bool designing)
{
    if (m_designing == designing)
        return;
    m_designing = designing;
    update();
}

// --- the accelerator ----------------------------------------------------------------------

void TGradBtn::updateAccelerator()
{
    if (m_shortcutId != 0)
        releaseShortcut(m_shortcutId);
    m_shortcutId = 0;
    const QKeySequence key = QKeySequence::mnemonic(m_caption);
    if (!key.isEmpty())
        m_shortcutId = grabShortcut(key);
}

bool TGradBtn::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (shortcut->shortcutId() != m_shortcutId)
            return QWidget::event(event);
        if (!isEnabled())
            return true;
        // Two buttons with the same letter: the key moves the focus between them instead.
        if (shortcut->isAmbiguous())
            setFocus(Qt::ShortcutFocusReason);
        else
            Click();
        return true;
    }
    return QWidget::event(event);
}

// --- pressing and clicking ----------------------------------------------------------------

void TGradBtn::Click()
{
    m_justClicked = true;
    m_isUp = true;
    // The click handler may hold the thread for seconds: show the released face before it
    // runs. repaint() paints now without running the event loop, so no queued input can
    // reach this button (or any other) ahead of the handler.
    repaint();
    emit clicked();
}

void TGradBtn::pressLeft()
{
    if (!m_isUp)
        return;
    m_isUp = false;
    m_justClicked = false; // a click from the keyboard has no mouse release of its own
    setFocus(Qt::MouseFocusReason);
    update();
}

void TGradBtn::releaseLeft()
{
    if (m_justClicked) {
        m_justClicked = false;
        return;
    }
    if (m_isUp)
        return;
    m_isUp = true;
    update();
}

void TGradBtn::cancelPress()
{
    m_leftHeld = false;
    if (m_isUp)
        return;
    m_isUp = true;
    update();
}

void TGradBtn::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(event->button(), event->modifiers(), event->position().toPoint());
    if (!m_isUp)
        return;
    // Only the left button presses; the others just take the focus, as any click does.
    if (event->button() == Qt::LeftButton) {
        m_leftHeld = true;
        pressLeft();
    } else {
        setFocus(Qt::MouseFocusReason);
    }
}

void TGradBtn::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_leftHeld = false;
        if (!m_isUp && rect().contains(pos)) {
            const QPointer<TGradBtn> alive(this);
            Click();
            if (!alive) // the click's handler may close the window the button sits on
                return;
        }
        emit mouseReleased(event->button(), event->modifiers(), pos);
        releaseLeft();
        return;
    }
    emit mouseReleased(event->button(), event->modifiers(), pos);
}

void TGradBtn::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    emit mouseMoved(event->modifiers(), pos);
    if (!m_leftHeld || !(event->buttons() & Qt::LeftButton))
        return;
    // While held, the pressed face follows the pointer in and out of the button.
    if (rect().contains(pos))
        pressLeft();
    else
        releaseLeft();
}

void TGradBtn::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    // Enter events carry no button state; ask the application for it.
    if (m_leftHeld && (QGuiApplication::mouseButtons() & Qt::LeftButton))
        pressLeft();
    emit mouseEntered();
}

void TGradBtn::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (m_leftHeld)
        releaseLeft();
    emit mouseLeft();
}

void TGradBtn::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(event->key(), event->modifiers());
    const QString text = event->text();
    if (!text.isEmpty())
        emit keyPressed(text.at(0));
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        Click(); // the main Enter key and the keypad's alike
        return;
    }
    QWidget::keyPressEvent(event); // unused keys go on to the window
}

void TGradBtn::keyReleaseEvent(QKeyEvent *event)
{
    emit keyUp(event->key(), event->modifiers());
    QWidget::keyReleaseEvent(event);
}

void TGradBtn::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (!m_designing)
        update();
    emit focusEntered();
}

void TGradBtn::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (!m_designing)
        update();
    emit focusLeft();
}

void TGradBtn::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        cancelPress(); // a disabled button receives no mouse release to end the press
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
}

void TGradBtn::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    cancelPress(); // a hidden button receives no mouse release either
}
