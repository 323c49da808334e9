#pragma once
// A panel that lays out one small push button per character of a few text lines and reports the
// character of the button pressed last: the telephone keypad of the call window, or any other
// on-screen letter or digit pad.
//
// Characters are QChar. A button's caption is its character and its "Tag" property is the
// character's UTF-16 code: 0..255 for the digits, signs and Latin-1 letters, and the Unicode code
// beyond that (Cyrillic "А" is 1040), so no two different characters ever share a Tag. Every
// UTF-16 unit is one button; the program's texts come from Windows-1251 and never hold the
// surrogate pairs that would split a character in two.
//
// The keys are QToolButtons drawn as classic square speed buttons on every platform, so that
// neighbours can share their one-pixel border; a key that is down is checked.
//
// There is no separate "loaded" step: the buttons are built whenever the lines are set, and
// again whenever a layout property changes.

#include <QButtonGroup>
#include <QChar>
#include <QColor>
#include <QFont>
#include <QFrame>
#include <QList>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QPainter;
class QToolButton;

class TAlphaPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QChar ActiveButton READ ActiveButton WRITE setActiveButton NOTIFY OnValueChange)
    Q_PROPERTY(QStringList AlphaButtons READ AlphaButtons WRITE setAlphaButtons)
    Q_PROPERTY(QFont ButtonFont READ ButtonFont WRITE setButtonFont)
    Q_PROPERTY(quint16 BlankXSize READ BlankXSize WRITE setBlankXSize)
    Q_PROPERTY(quint16 BlankYSize READ BlankYSize WRITE setBlankYSize)
    Q_PROPERTY(quint16 ButtonWidth READ ButtonWidth WRITE setButtonWidth)
    Q_PROPERTY(quint16 ButtonHeight READ ButtonHeight WRITE setButtonHeight)
    Q_PROPERTY(quint16 ButtonLeftMargin READ ButtonLeftMargin WRITE setButtonLeftMargin)
    Q_PROPERTY(quint16 ButtonTopMargin READ ButtonTopMargin WRITE setButtonTopMargin)
    Q_PROPERTY(qint32 ButtonXSpacing READ ButtonXSpacing WRITE setButtonXSpacing)
    Q_PROPERTY(qint32 ButtonYSpacing READ ButtonYSpacing WRITE setButtonYSpacing)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE setAllowAllUp)
    Q_PROPERTY(bool CatchButtons READ CatchButtons WRITE setCatchButtons)
    Q_PROPERTY(TBevelCut BevelInner READ BevelInner WRITE setBevelInner)
    Q_PROPERTY(TBevelCut BevelOuter READ BevelOuter WRITE setBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)

public:
    /// How a bevel is cut: not at all, sunk into the panel, or standing out of it.
    enum TBevelCut { bvNone, bvLowered, bvRaised };
    Q_ENUM(TBevelCut)

    /// A 448 x 22 panel with a raised outer bevel, no lines and so no buttons yet.
    explicit TAlphaPanel(QWidget *parent = nullptr);
    ~TAlphaPanel() override;

    /// The character of the button pressed last; a null QChar when none.
    QChar ActiveButton() const { return m_activeButton; }
    /// With CatchButtons, puts the button of that character down (the later one of two twins;
    /// nothing when no button has it) or, for a null QChar, raises the button that was down.
    /// Emits OnValueChange every time, the same character too.
    void setActiveButton(QChar ch);
    /// One line per row of buttons; each character is a button, a blank a gap, an empty line a
    /// gap between rows.
    QStringList AlphaButtons() const { return m_alphaButtons; }
    /// Rebuilds every button, forgets ActiveButton and emits OnValueChange, even when the lines
    /// are the same: setting the lines is how a caller starts the pad afresh.
    void setAlphaButtons(const QStringList &lines);
    /// The font each button gets a copy of; a new tool button's font by default. The caption
    /// colour is not part of a font: the buttons take their palette's button text colour.
    QFont ButtonFont() const { return m_buttonFont; }
    /// Gives the font to every button there is and to every button built later; no rebuild.
    void setButtonFont(const QFont &font);

    // The layout. A change rebuilds the whole grid; setting the value it has changes nothing.
    quint16 BlankXSize() const { return m_blankXSize; } ///< gap a blank leaves in a row; 9
    void setBlankXSize(quint16 size);
    quint16 BlankYSize() const { return m_blankYSize; } ///< gap an empty line leaves; 9
    void setBlankYSize(quint16 size);
    quint16 ButtonWidth() const { return m_buttonWidth; } ///< 18
    void setButtonWidth(quint16 width);
    quint16 ButtonHeight() const { return m_buttonHeight; } ///< 18
    void setButtonHeight(quint16 height);
    quint16 ButtonLeftMargin() const { return m_buttonLeftMargin; } ///< left of every row; 2
    void setButtonLeftMargin(quint16 margin);
    quint16 ButtonTopMargin() const { return m_buttonTopMargin; } ///< top of the first row; 2
    void setButtonTopMargin(quint16 margin);
    /// Added after every button of a row; -1, so that neighbours share their border.
    qint32 ButtonXSpacing() const { return m_buttonXSpacing; }
    void setButtonXSpacing(qint32 spacing);
    /// Added after every row; -1.
    qint32 ButtonYSpacing() const { return m_buttonYSpacing; }
    void setButtonYSpacing(qint32 spacing);

    /// With CatchButtons: whether a click on the button that is down raises it; false.
    bool AllowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool allow);
    /// True: the buttons are one radio group and the pressed one stays down. False (default):
    /// plain push buttons that report every click.
    bool CatchButtons() const { return m_catchButtons; }
    void setCatchButtons(bool catchButtons);

    /// The bevel inside the border; none by default.
    TBevelCut BevelInner() const { return m_bevelInner; }
    void setBevelInner(TBevelCut cut);
    /// The bevel at the panel's edge; raised by default.
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TBevelCut cut);
    /// Width of each bevel in pixels; 1.
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);
    /// Plain panel colour between the two bevels, in pixels; 0.
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);
    /// The panel's face: the palette's window colour, inherited from the parent until set.
    QColor Color() const;
    void setColor(const QColor &color);

    /// Creates and places one button per character of the lines, then ApplyGrouping. Rows are
    /// ButtonHeight apart when they hold a button, BlankYSize when they hold only blanks or
    /// nothing, plus ButtonYSpacing after each; a line ending in a blank is a row like any other.
    virtual void BuildButtons();
    /// Removes and frees every child widget of the panel.
    void ClearButtons();
    /// Releases every button, makes them a radio group or plain push buttons after CatchButtons
    /// and AllowAllUp, and with CatchButtons puts the button of ActiveButton down again.
    void ApplyGrouping();
    /// The child tool button whose Tag is the code of ch, searching from the last child, so the
    /// later of two buttons with one character wins; nullptr when there is none.
    QToolButton *FindButton(QChar ch) const;

    QSize sizeHint() const override;

public slots:
    /// Every button's click: records its character (or none, when a caught button came up)
    /// and emits OnValueChange, also when the same button is clicked again.
    void ButtonClick(QAbstractButton *clicked);

signals:
    /// ActiveButton may have changed: a button was clicked, or the lines or the choice were set.
    void OnValueChange();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    template <typename T>
    void setLayoutValue(T &member, T value);
    int placeRow(const QString &line, int y);
    void createButton(QChar ch, int x, int y);
    QList<QToolButton *> buttons() const;
    void raiseAllBut(const QAbstractButton *down);
    void paintBevel(QPainter &painter, QRect &rect, TBevelCut cut) const;

    /// Routes every button's click; exclusive while the caught button may not be raised.
    QButtonGroup *const m_group = new QButtonGroup(this);
    QChar m_activeButton;
    QStringList m_alphaButtons;
    QFont m_buttonFont; ///< a new tool button's font, taken in the constructor
    quint16 m_blankXSize = 9;
    quint16 m_blankYSize = 9;
    quint16 m_buttonWidth = 18;
    quint16 m_buttonHeight = 18;
    quint16 m_buttonLeftMargin = 2;
    quint16 m_buttonTopMargin = 2;
    qint32 m_buttonXSpacing = -1;
    qint32 m_buttonYSpacing = -1;
    bool m_allowAllUp = false;
    bool m_catchButtons = false;
    TBevelCut m_bevelInner = bvNone;
    TBevelCut m_bevelOuter = bvRaised;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
};
