#pragma once
// The program's real error and input boxes.

#include "dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

#include <memory>

class QtDialogs final : public Dialogs
{
public:
    bool inputText(const QString &caption, const QString &prompt, QString &value) override;
    void showError(const QString &message) override;
    void showFailure(const QString &message) override;
    bool confirmLeave(const QString &question, const QString &leave, const QString &stay) override;
    void showModal(QDialog &window) override;
    void showAbout(const QString &caption, const QString &text) override;

    /// The error box showError runs, made but not shown.
    static std::unique_ptr<QMessageBox> makeErrorBox(const QString &message);
    /// The question confirmLeave runs, made but not shown.
    static std::unique_ptr<QMessageBox> makeLeaveBox(const QString &question, const QString &leave,
                                                     const QString &stay);
    /// The input box inputText runs, made but not shown.
    static std::unique_ptr<QInputDialog> makeInputBox(const QString &caption,
                                                      const QString &prompt,
                                                      const QString &value);
    /// Takes back every override cursor set so far, so the normal arrow shows.
    static void restoreAllOverrideCursors();
};
