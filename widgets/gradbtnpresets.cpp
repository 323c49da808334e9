// The button's ready-made colour schemes, applied in design mode only.

#include "gradbtn.h"

#include <QFont>

namespace {

struct Scheme
{
    QRgb disabled, begin, end;
    const char *family;
    int pointSize;
    QRgb fontColor;
    bool bold;
    TGradBtn::TGradientStyle gradient;
    TGradBtn::TShadeType shade;
    TGradBtn::TTextStyle text;
    QRgb txtHilite, txtShadow, btnHilite, btnShadow;
};

// The system's button highlight and shadow, as the defaults use them.
constexpr QRgb kHighlight = 0xFFFFFF;
constexpr QRgb kShadow = 0x808080;

// Indexed by TPreset.
constexpr Scheme kSchemes[] = {
    {0x808080, 0x000080, 0x00FFFF, "MS Sans Serif", 8, 0x000000, false, TGradBtn::gsVertCenter,
     TGradBtn::stLight, TGradBtn::tsRaised, kHighlight, kShadow, kHighlight, kShadow},
    {0xBBBB00, 0xFFFF00, 0x808000, "Arial", 10, 0xBBBB00, true, TGradBtn::gsVertical,
     TGradBtn::stHeavy, TGradBtn::tsRaised, 0xFFFFBF, 0x717100, 0xFFFFB3, 0x616161},
    {0x808000, 0x000000, 0x00FF00, "Courier", 8, 0x008000, false, TGradBtn::gsRectangle,
     TGradBtn::stLight, TGradBtn::tsRaised, 0xACFFAC, 0x004000, kHighlight, kShadow},
    {0x808080, 0xCECECE, 0x5F5F5F, "Times New Roman", 10, 0x000000, true, TGradBtn::gsVertical,
     TGradBtn::stHeavy, TGradBtn::tsInset, kHighlight, kShadow, 0xFFFFFF, 0x000000},
    {0x808080, 0xFFFF00, 0xFF0000, "MS Sans Serif", 8, 0x400000, true, TGradBtn::gsHorizontal,
     TGradBtn::stHeavy, TGradBtn::tsRaised, 0xE6E7CF, 0xB05800, kHighlight, kShadow},
    {0x808000, 0xFFFFCE, 0xC2C292, "Verdana", 9, 0x800000, false, TGradBtn::gsElliptic,
     TGradBtn::stLight, TGradBtn::tsNormal, 0xFFFFEF, 0xC2C292, 0xFFFFEF, 0xC2C292},
};

} // namespace

void TGradBtn::applyPreset(TPreset preset)
{
    const Scheme &s = kSchemes[preset];
    m_disabledColor = QColor::fromRgb(s.disabled);
    m_beginColor = QColor::fromRgb(s.begin);
    m_endColor = QColor::fromRgb(s.end);
    QFont face(QString::fromLatin1(s.family), s.pointSize);
    face.setBold(s.bold);
    setFont(face);
    m_fontColor = QColor::fromRgb(s.fontColor);
    m_gradientStyle = s.gradient;
    m_textShadeType = s.shade;
    m_textStyle = s.text;
    m_txtHiliteClr = QColor::fromRgb(s.txtHilite);
    m_txtShadowClr = QColor::fromRgb(s.txtShadow);
    m_btnHiliteClr = QColor::fromRgb(s.btnHilite);
    m_btnShadowClr = QColor::fromRgb(s.btnShadow);
    if (preset == BrassedOff)
        m_swapColors = false;
}
