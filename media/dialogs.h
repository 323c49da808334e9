#pragma once
// The input box and the error box, behind an interface so that tests can answer them.

#include <QString>

class QDialog;

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    /// An input box with OK and Cancel; false when cancelled. value holds the initial text and
    /// receives the text typed.
    virtual bool inputText(const QString &caption, const QString &prompt, QString &value) = 0;
    /// The error box: caption "Ошибка", error icon, OK, modal to the whole program.
    virtual void showError(const QString &message) = 0;
    /// The application's general error box for a failure of a platform service (a file or the
    /// counters store): the failure's text ending in a full stop, the program's title as
    /// caption, error icon, OK. The program keeps running.
    virtual void showFailure(const QString &message) { showError(message); }
    /// Asks before something that cannot be undone: true only when the student chooses leave;
    /// staying is the default, on Enter and on Escape alike.
    virtual bool confirmLeave(const QString &question, const QString &leave, const QString &stay) = 0;
    /// Shows a window of the program modally and returns when it has closed.
    virtual void showModal(QDialog &window) = 0;
    /// The About box: a caption and a rich text, OK.
    virtual void showAbout(const QString &caption, const QString &text) = 0;
};
