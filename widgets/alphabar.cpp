#include "alphabar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QToolButton>

#include <utility>

namespace {

// The bevel colours of the classic button face, the same on every platform and style.
const QColor BevelLight{0xFF, 0xFF, 0xFF};
const QColor BevelShadow{0x80, 0x80, 0x80};
const QColor BevelDark{0x00, 0x00, 0x00};

const char TagProperty[] = "Tag";

// Draws one line of a bevel along the inside of rect and shrinks rect by it: topLeft along the
// top and left, bottomRight along the right and bottom, where it also owns both far corners
// (top right and bottom left).
void frameLine(QPainter &painter, QRect &rect, const QColor &topLeft, const QColor &bottomRight)
{
    const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    painter.fillRect(QRect(l, t, 1, b - t), topLeft);
    painter.fillRect(QRect(l, t, r - l, 1), topLeft);
    painter.fillRect(QRect(r, t, 1, b - t + 1), bottomRight);
    painter.fillRect(QRect(l, b, r - l + 1, 1), bottomRight);
    rect.adjust(1, 1, -1, -1);
}

// One key of the pad, drawn as a classic square speed button whatever the style: the keys
// overlap by their border, which the rounded, shaded buttons of most styles do not allow for.
class AlphaKey : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const bool sunk = isDown() || isChecked();
        QColor face = palette().color(QPalette::Button);
        // A key latched down shows a lighter face than one merely held under the mouse.
        if (isChecked() && !isDown()) {
            face = QColor((face.red() + 0xFF) / 2, (face.green() + 0xFF) / 2,
                          (face.blue() + 0xFF) / 2);
        }
        QRect rect = this->rect();
        painter.fillRect(rect, face);
        if (sunk) {
            frameLine(painter, rect, BevelShadow, BevelLight);
            frameLine(painter, rect, BevelDark, face);
        } else {
            frameLine(painter, rect, BevelLight, BevelDark);
            frameLine(painter, rect, face, BevelShadow);
        }
        const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
        painter.setPen(palette().color(group, QPalette::ButtonText));
        painter.setFont(font());
        // The character as it is: no "&" is taken for a mnemonic mark.
        const int shift = sunk ? 1 : 0;
        painter.drawText(this->rect().translated(shift, shift), Qt::AlignCenter, text());
    }
};

} // namespace

TAlphaPanel::TAlphaPanel(QWidget *parent)
    : QFrame(parent),
      // What a tool button made without a parent would show.
      m_buttonFont(QApplication::font("QToolButton"))
{
    resize(448, 22);
    // paintEvent covers every pixel with the face and the bevels.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_group->setExclusive(false);
    connect(m_group, &QButtonGroup::buttonClicked, this, &TAlphaPanel::ButtonClick);
}

TAlphaPanel::~TAlphaPanel() = default;

QSize TAlphaPanel::sizeHint() const
{
    return QSize(448, 22);
}

// --- properties ---------------------------------------------------------------------------

void TAlphaPanel::setActiveButton(QChar ch)
{
    // Every setting is reported, a repeated one too: a listener may treat each as a key press.
    if (!ch.isNull() || !m_catchButtons) {
        m_activeButton = ch;
        if (m_catchButtons) {
            if (QToolButton *button = FindButton(ch)) {
                button->setChecked(true);
                raiseAllBut(button);
            }
        }
    } else {
        // Taking the choice back is the caller's decision, so the key comes up even where a
        // click could not raise it: the panel never shows a key down that ActiveButton denies.
        if (QToolButton *button = FindButton(m_activeButton)) {
            const bool exclusive = m_group->exclusive();
            m_group->setExclusive(false);
            button->setChecked(false);
            m_group->setExclusive(exclusive);
        }
        m_activeButton = QChar();
    }
    emit OnValueChange();
}

void TAlphaPanel::setAlphaButtons(const QStringList &lines)
{
    ClearButtons();
    m_alphaButtons = lines;
    BuildButtons();
    m_activeButton = QChar();
    ApplyGrouping();
    emit OnValueChange();
}

void TAlphaPanel::setButtonFont(const QFont &font)
{
    if (m_buttonFont == font && m_buttonFont.resolveMask() == font.resolveMask())
        return;
    m_buttonFont = font;
    for (QToolButton *button : buttons())
        button->setFont(font);
}

template <typename T>
void TAlphaPanel::setLayoutValue(T &member, T value)
{
    if (member == value)
        return;
    member = value;
    ClearButtons();
    BuildButtons();
}

void TAlphaPanel::setBlankXSize(quint16 size) { setLayoutValue(m_blankXSize, size); }
void TAlphaPanel::setBlankYSize(quint16 size) { setLayoutValue(m_blankYSize, size); }
void TAlphaPanel::setButtonWidth(quint16 width) { setLayoutValue(m_buttonWidth, width); }
void TAlphaPanel::setButtonHeight(quint16 height) { setLayoutValue(m_buttonHeight, height); }
void TAlphaPanel::setButtonLeftMargin(quint16 margin)
{
    setLayoutValue(m_buttonLeftMargin, margin);
}
void TAlphaPanel::setButtonTopMargin(quint16 margin) { setLayoutValue(m_buttonTopMargin, margin); }
void TAlphaPanel::setButtonXSpacing(qint32 spacing) { setLayoutValue(m_buttonXSpacing, spacing); }
void TAlphaPanel::setButtonYSpacing(qint32 spacing) { setLayoutValue(m_buttonYSpacing, spacing); }

void TAlphaPanel::setAllowAllUp(bool allow)
{
    if (m_allowAllUp == allow)
        return;
    m_allowAllUp = allow;
    if (m_catchButtons)
        ApplyGrouping();
}

void TAlphaPanel::setCatchButtons(bool catchButtons)
{
    if (m_catchButtons == catchButtons)
        return;
    m_catchButtons = catchButtons;
    ApplyGrouping();
}

void TAlphaPanel::setBevelInner(TBevelCut cut)
{
    if (m_bevelInner == cut)
        return;
    m_bevelInner = cut;
    update();
}

void TAlphaPanel::setBevelOuter(TBevelCut cut)
{
    if (m_bevelOuter == cut)
        return;
    m_bevelOuter = cut;
    update();
}

void TAlphaPanel::setBevelWidth(int width)
{
    // A bevel is at least one line; "no bevel" is bvNone.
    if (width < 1 || m_bevelWidth == width)
        return;
    m_bevelWidth = width;
    update();
}

void TAlphaPanel::setBorderWidth(int width)
{
    if (width < 0 || m_borderWidth == width)
        return;
    m_borderWidth = width;
    update();
}

QColor TAlphaPanel::Color() const
{
    return palette().color(QPalette::Window);
}

void TAlphaPanel::setColor(const QColor &color)
{
    if (Color() == color && palette().isBrushSet(QPalette::Active, QPalette::Window))
        return;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal); // repaints
}

// --- the buttons --------------------------------------------------------------------------

void TAlphaPanel::BuildButtons()
{
    // Positions are plain ints: a negative spacing next to a small margin puts a button left
    // of the panel's edge rather than wrapping it to the far end of a 16-bit range.
    int y = m_buttonTopMargin;
    for (const QString &line : std::as_const(m_alphaButtons)) {
        y += line.isEmpty() ? int(m_blankYSize) : placeRow(line, y);
        y += m_buttonYSpacing;
    }
    ApplyGrouping();
}

// Places the buttons of one non-empty line at height y; returns the height the row takes.
int TAlphaPanel::placeRow(const QString &line, int y)
{
    int x = m_buttonLeftMargin;
    bool madeButton = false;
    for (const QChar ch : line) {
        if (ch == u' ') {
            x += m_blankXSize;
            continue;
        }
        createButton(ch, x, y);
        x += m_buttonWidth + m_buttonXSpacing;
        madeButton = true;
    }
    // A trailing blank is only a gap: the row is as tall as its buttons, and the next row
    // starts below them. A line of blanks alone is a gap between rows, like an empty line.
    return madeButton ? int(m_buttonHeight) : int(m_blankYSize);
}

void TAlphaPanel::createButton(QChar ch, int x, int y)
{
    auto *button = new AlphaKey(this);
    button->setText(QString(ch));
    button->setAttribute(Qt::WA_OpaquePaintEvent);
    button->setProperty(TagProperty, int(ch.unicode()));
    button->setFont(m_buttonFont);
    // Like the speed buttons of a pad, keys never take the keyboard from the window: its own
    // key handling must see every digit typed.
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(x, y, m_buttonWidth, m_buttonHeight);
    m_group->addButton(button);
    button->show();
}

void TAlphaPanel::ClearButtons()
{
    const QList<QWidget *> children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (auto *button = qobject_cast<QAbstractButton *>(child))
            m_group->removeButton(button);
        // A handler of OnValueChange may set new lines while the clicked key is still inside
        // its own click: the key leaves the panel now and is freed once that click is over.
        child->hide();
        child->setParent(nullptr);
        child->deleteLater();
    }
}

void TAlphaPanel::ApplyGrouping()
{
    // An exclusive group refuses to raise its down button: release everything first.
    m_group->setExclusive(false);
    for (QToolButton *button : buttons()) {
        button->setChecked(false);
        button->setCheckable(m_catchButtons);
    }
    m_group->setExclusive(m_catchButtons && !m_allowAllUp);
    if (m_activeButton.isNull())
        return;
    if (QToolButton *button = FindButton(m_activeButton))
        button->setChecked(m_catchButtons);
}

QToolButton *TAlphaPanel::FindButton(QChar ch) const
{
    const QObjectList &all = children();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        auto *button = qobject_cast<QToolButton *>(*it);
        if (button && button->property(TagProperty).toInt() == ch.unicode())
            return button;
    }
    return nullptr;
}

void TAlphaPanel::ButtonClick(QAbstractButton *clicked)
{
    const QChar ch(char16_t(clicked->property(TagProperty).toInt()));
    if (!m_catchButtons) {
        m_activeButton = ch;
    } else if (clicked->isChecked()) {
        raiseAllBut(clicked);
        m_activeButton = ch;
    } else {
        m_activeButton = QChar();
    }
    emit OnValueChange();
}

QList<QToolButton *> TAlphaPanel::buttons() const
{
    return findChildren<QToolButton *>(Qt::FindDirectChildrenOnly);
}

// Radio behaviour where the group is not exclusive (AllowAllUp): one button down at a time.
void TAlphaPanel::raiseAllBut(const QAbstractButton *down)
{
    for (QToolButton *button : buttons()) {
        if (button != down)
            button->setChecked(false);
    }
}

// --- painting -----------------------------------------------------------------------------

void TAlphaPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect face = rect();
    painter.fillRect(face, Color());
    paintBevel(painter, face, m_bevelOuter);
    face.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    paintBevel(painter, face, m_bevelInner);
}

// Draws a bevel of BevelWidth lines along the inside of rect and shrinks rect by it: lit along
// the top and left and shaded along the right and bottom when raised, the other way round when
// lowered.
void TAlphaPanel::paintBevel(QPainter &painter, QRect &rect, TBevelCut cut) const
{
    if (cut == bvNone)
        return;
    const QColor &topLeft = cut == bvRaised ? BevelLight : BevelShadow;
    const QColor &bottomRight = cut == bvRaised ? BevelShadow : BevelLight;
    for (int line = 0; line < m_bevelWidth && !rect.isEmpty(); ++line)
        frameLine(painter, rect, topLeft, bottomRight);
}
