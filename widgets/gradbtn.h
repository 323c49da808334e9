#pragma once
// A push button whose face is a two-colour gradient in one of six patterns, with a bevel, a flat,
// raised or inset caption with an underlined accelerator, a dotted focus rectangle, and a pressed
// look made by showing the gradient's colours exchanged and shifting the caption one pixel.
//
// The face is composed in a private image and copied to the screen in one transfer. Qt already
// double-buffers every widget; the private image keeps the composition in one place and the
// widget is marked opaque, so nothing is erased underneath and the button never flickers.

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

class QPainter;

class TGradBtn : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(QColor DisabledColor READ DisabledColor WRITE setDisabledColor)
    Q_PROPERTY(QColor BtnHiliteClr READ BtnHiliteClr WRITE setBtnHiliteClr)
    Q_PROPERTY(QColor BtnShadowClr READ BtnShadowClr WRITE setBtnShadowClr)
    Q_PROPERTY(int BtnFrameSize READ BtnFrameSize WRITE setBtnFrameSize)
    Q_PROPERTY(QColor TxtHiliteClr READ TxtHiliteClr WRITE setTxtHiliteClr)
    Q_PROPERTY(QColor TxtShadowClr READ TxtShadowClr WRITE setTxtShadowClr)
    Q_PROPERTY(QColor BeginColor READ BeginColor WRITE setBeginColor)
    Q_PROPERTY(QColor EndColor READ EndColor WRITE setEndColor)
    Q_PROPERTY(bool SwapColors READ SwapColors WRITE setSwapColors)
    Q_PROPERTY(bool ShowFocus READ ShowFocus WRITE setShowFocus)
    Q_PROPERTY(TGradientStyle GradientStyle READ GradientStyle WRITE setGradientStyle)
    Q_PROPERTY(TTextStyle TextStyle READ TextStyle WRITE setTextStyle)
    Q_PROPERTY(TShadeType TextShadeType READ TextShadeType WRITE setTextShadeType)
    Q_PROPERTY(TPreset Presets READ Presets WRITE setPresets)
    Q_PROPERTY(TJustification Justification READ Justification WRITE setJustification)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)

public:
    // Declaration order is the stored value 0, 1, ...
    enum TGradientStyle { gsHorizontal, gsVertical, gsElliptic, gsRectangle, gsVertCenter, gsHorizCenter };
    Q_ENUM(TGradientStyle)
    enum TTextStyle { tsNormal, tsRaised, tsInset };
    Q_ENUM(TTextStyle)
    enum TShadeType { stLight, stHeavy };
    Q_ENUM(TShadeType)
    enum TPreset { None, GoldCoast, LimeBox, Aluminum, SunRise, BrassedOff };
    Q_ENUM(TPreset)
    enum TJustification { jLeft, jCenter, jRight };
    Q_ENUM(TJustification)

    /// One step of a gradient pattern: its colour, the area it paints (an ellipse's bounding box
    /// for gsElliptic) and, for the centred patterns, the mirrored row or column.
    struct GradientStep
    {
        QColor color;
        QRect shape;
        QRect mirror;
    };

    /// The caption as drawn: accelerator marks removed, and the position in it of the
    /// underlined accelerator character (-1 when there is none).
    struct PlainCaption
    {
        QString text;
        qsizetype accel = -1;
    };

    /// A 75 x 25 focusable button with the default look: navy to aqua, centred, raised caption.
    explicit TGradBtn(QWidget *parent = nullptr);
    ~TGradBtn() override;

    /// first * second / third with a 64-bit product, truncated toward zero; 0 when third is 0.
    static int ScaleDiv(int first, int second, int third);
    /// Colour of step `step` of `steps`: each channel is begin + ScaleDiv(step, end - begin,
    /// steps), so step 0 is begin and step `steps` is end; begin when there are no steps.
    static QColor StepColor(const QColor &begin, const QColor &end, int step, int steps);
    /// The steps of a pattern on a face of the given size, in painting order.
    static QList<GradientStep> GradientSteps(TGradientStyle style, QSize size, const QColor &begin,
                                             const QColor &end);
    /// Removes the accelerator marks from a caption: "&&" stands for one "&", "&x" makes x the
    /// accelerator; a lone "&" at the very end is kept as it is.
    static PlainCaption MakePlainCaption(const QString &caption);

    /// The caption, accelerator marks included.
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    /// Colour of the caption's main copy; black by default.
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor &color);
    /// Caption colour while the button is disabled; grey text (#808080) by default.
    QColor DisabledColor() const { return m_disabledColor; }
    void setDisabledColor(const QColor &color);
    /// Bevel colour of the lit edges; button highlight (#FFFFFF) by default.
    QColor BtnHiliteClr() const { return m_btnHiliteClr; }
    void setBtnHiliteClr(const QColor &color);
    /// Bevel colour of the shaded edges; button shadow (#808080) by default.
    QColor BtnShadowClr() const { return m_btnShadowClr; }
    void setBtnShadowClr(const QColor &color);
    /// Bevel width in pixels, 0 for none; 1 by default.
    int BtnFrameSize() const { return m_btnFrameSize; }
    /// Accepts 0, and a size up to width / 2 - 5 and height / 2 - 5 of the current size;
    /// anything else is ignored without a word.
    void setBtnFrameSize(int size);
    /// Colour of the caption's light copy; button highlight by default.
    QColor TxtHiliteClr() const { return m_txtHiliteClr; }
    void setTxtHiliteClr(const QColor &color);
    /// Colour of the caption's dark copy (stHeavy); button shadow by default.
    QColor TxtShadowClr() const { return m_txtShadowClr; }
    void setTxtShadowClr(const QColor &color);
    /// Gradient colour at the outside, or at the left/top; navy by default.
    QColor BeginColor() const { return m_beginColor; }
    void setBeginColor(const QColor &color);
    /// Gradient colour at the centre, or at the right/bottom; aqua by default.
    QColor EndColor() const { return m_endColor; }
    void setEndColor(const QColor &color);
    /// The begin colour nearest to colour, deepened (or paled) only as far as the caption needs
    /// to read at least 4.5 to 1 where the gradient towards EndColor is lightest (or darkest)
    /// behind its letters; colour itself when it reads already.
    QColor ReadableBeginColor(const QColor &colour) const;
    /// Whether the face shows the two colours exchanged while held down; true by default.
    /// The stored colours themselves never change.
    bool SwapColors() const { return m_swapColors; }
    void setSwapColors(bool swap);
    /// Whether the focus rectangle is drawn while the button has the focus; true by default.
    bool ShowFocus() const { return m_showFocus; }
    void setShowFocus(bool show);
    TGradientStyle GradientStyle() const { return m_gradientStyle; }
    void setGradientStyle(TGradientStyle style);
    TTextStyle TextStyle() const { return m_textStyle; }
    void setTextStyle(TTextStyle style);
    TShadeType TextShadeType() const { return m_textShadeType; }
    void setTextShadeType(TShadeType shade);
    /// The colour scheme last applied in design mode; None otherwise.
    TPreset Presets() const { return m_presets; }
    /// Applies a colour scheme in design mode only; in a running program it changes nothing.
    void setPresets(TPreset preset);
    TJustification Justification() const { return m_justification; }
    void setJustification(TJustification justification);
    /// Whether a caption too wide for one line is broken at blanks onto lines centred on the
    /// face; off by default, when it stays on one line whatever its width.
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wrap);
    /// Whether the caption drawn in font lies within the face, 2 pixels in from either side:
    /// on one line, or with WordWrap on as many lines as the face is high enough for.
    bool CaptionFits(const QFont &font) const;
    /// A number for the program's own use (the answer buttons keep 1..4); 0 by default.
    int Tag() const { return m_tag; }
    void setTag(int tag);

    /// Design mode, the stand-in for a visual designer: presets apply and no focus rectangle
    /// is drawn. Off by default.
    bool Designing() const { return m_designing; }
    void setDesigning(bool designing);

    /// Press state: false while the left button holds the button down.
    bool IsUp() const { return m_isUp; }
    /// Press state: true from a click until the mouse release that belongs to it.
    bool JustClicked() const { return m_justClicked; }

    QSize sizeHint() const override;

public slots:
    /// Clicks the button: shows it released at once, then emits clicked().
    void Click();

signals:
    /// The button was clicked: the left button let go over it, Enter while it has the focus, or
    /// its accelerator; its face shows released before this is emitted.
    void clicked();
    /// The pointer came over the button.
    void mouseEntered();
    /// The pointer went off the button.
    void mouseLeft();
    /// A mouse button, any of them, was pressed on the button; only the left one presses it in.
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    /// A mouse button pressed on the button was let go; after clicked() when that made a click.
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    /// The pointer moved over the button, or anywhere while a button pressed on it is held.
    void mouseMoved(Qt::KeyboardModifiers modifiers, QPoint pos);
    /// The button took the keyboard focus.
    void focusEntered();
    /// The keyboard focus went elsewhere.
    void focusLeft();
    /// A key was pressed while the button has the focus, before it is acted on.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    /// A key pressed while the button has the focus typed a character.
    void keyPressed(QChar key);
    /// A key was let go while the button has the focus.
    void keyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setColor(QColor &member, const QColor &color);
    void pressLeft();
    void releaseLeft();
    void cancelPress();
    void updateAccelerator();
    void applyPreset(TPreset preset);
    void composeFace();
    void paintGradient(QPainter &painter, const QColor &begin, const QColor &end);
    void paintBevel(QPainter &painter, bool pressed);
    void paintCaption(QPainter &painter, int pressOffset);
    void paintCaptionCopy(QPainter &painter, const QColor &color, int offset);
    void paintFocusRect();

    QString m_caption;
    PlainCaption m_captionPlain;
    QColor m_fontColor{0x00, 0x00, 0x00};
    QColor m_disabledColor{0x80, 0x80, 0x80};
    QColor m_btnHiliteClr{0xFF, 0xFF, 0xFF};
    QColor m_btnShadowClr{0x80, 0x80, 0x80};
    int m_btnFrameSize = 1;
    QColor m_txtHiliteClr{0xFF, 0xFF, 0xFF};
    QColor m_txtShadowClr{0x80, 0x80, 0x80};
    QColor m_beginColor{0x00, 0x00, 0x80};
    QColor m_endColor{0x00, 0xFF, 0xFF};
    bool m_swapColors = true;
    bool m_showFocus = true;
    TGradientStyle m_gradientStyle = gsVertCenter;
    TTextStyle m_textStyle = tsRaised;
    TShadeType m_textShadeType = stLight;
    TPreset m_presets = None;
    TJustification m_justification = jCenter;
    bool m_wordWrap = false;
    int m_tag = 0;
    bool m_designing = false;

    bool m_isUp = true;
    bool m_justClicked = false;
    bool m_leftHeld = false; ///< the left button went down on this button and is still down
    int m_shortcutId = 0;
    QImage m_offscreen; ///< the face, composed at every paint
};
