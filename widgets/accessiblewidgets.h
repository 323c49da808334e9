#pragma once
// What a screen reader learns of the widgets that paint themselves. Qt describes its own
// controls; ours would show up as nameless panes, so each gets an interface of its own: the
// role, the name it shows, whether it can be used now, and the actions it offers.

#include <QAccessibleWidget>

class TGradBtn;
class TLCD99;

/// Makes Qt find the interfaces below for every TGradBtn and TLCD99, and a notification for
/// every AnnouncerLine. Call once, after the
/// application object exists; calling again changes nothing.
void InstallAccessibleWidgets();

/// A TGradBtn as a push button: named by its caption as drawn (or by the accessible name the
/// program gave it), described by its accessible description, pressed by the "Press" action.
/// A button that is hidden, disabled or shows no caption cannot be used, and says so.
class AccessibleGradBtn final : public QAccessibleWidget
{
public:
    explicit AccessibleGradBtn(TGradBtn *button);
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    TGradBtn *button() const;
    bool usable() const;
};

/// A TLCD99 as read-only text: its name is the accessible name the program gave it, or else
/// what it shows; its value is what it shows.
class AccessibleLcd final : public QAccessibleWidget
{
public:
    explicit AccessibleLcd(TLCD99 *display);
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

private:
    TLCD99 *display() const;
};
