#include "errorbox.h"

#include "stringres.h"
#include "windowbanners.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace {

// Runs a box and gives the keyboard back to the window that owns it, also where no window
// manager does so.
int runOwned(QDialog &box)
{
    const QPointer<QWidget> owner = box.parentWidget();
    const int result = box.exec();
    if (owner && owner->isVisible())
        ActivateAgain(owner->window());
    return result;
}

} // namespace

bool QtDialogs::inputText(const QString &caption, const QString &prompt, QString &value)
{
    const std::unique_ptr<QInputDialog> box = makeInputBox(caption, prompt, value);
    if (runOwned(*box) != QDialog::Accepted)
        return false;
    value = box->textValue();
    return true;
}

void QtDialogs::showError(const QString &message)
{
    // An error may come in the middle of a long job with the hourglass up; the player must see
    // an ordinary pointer to press OK.
    restoreAllOverrideCursors();
    runOwned(*makeErrorBox(message));
}

void QtDialogs::showFailure(const QString &message)
{
    restoreAllOverrideCursors();
    auto box = makeErrorBox(message);
    box->setWindowTitle(LoadStr(StringId::Title));
    runOwned(*box);
}

bool QtDialogs::confirmLeave(const QString &question, const QString &leave, const QString &stay)
{
    restoreAllOverrideCursors();
    const auto box = makeLeaveBox(question, leave, stay);
    runOwned(*box);
    return box->clickedButton() && box->buttonRole(box->clickedButton()) == QMessageBox::DestructiveRole;
}

void QtDialogs::showModal(QDialog &window)
{
    runOwned(window);
}

void QtDialogs::showAbout(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
    runOwned(box);
}

std::unique_ptr<QMessageBox> QtDialogs::makeErrorBox(const QString &message)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, QStringLiteral("Ошибка"), message,
                                             QMessageBox::Ok, QApplication::activeWindow());
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

std::unique_ptr<QMessageBox> QtDialogs::makeLeaveBox(const QString &question, const QString &leave,
                                                     const QString &stay)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, LoadStr(StringId::Title), question,
                                             QMessageBox::NoButton, QApplication::activeWindow());
    box->addButton(leave, QMessageBox::DestructiveRole);
    // A key pressed without reading must not cost the student the game: Enter and Escape stay.
    QPushButton *keep = box->addButton(stay, QMessageBox::RejectRole);
    box->setDefaultButton(keep);
    box->setEscapeButton(keep);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

std::unique_ptr<QInputDialog> QtDialogs::makeInputBox(const QString &caption,
                                                      const QString &prompt,
                                                      const QString &value)
{
    // Owned by the window at work, so that the keyboard goes back to it when the box closes.
    auto box = std::make_unique<QInputDialog>(QApplication::activeWindow());
    box->setInputMode(QInputDialog::TextInput);
    box->setWindowTitle(caption);
    box->setLabelText(prompt);
    box->setTextValue(value);
    box->setOkButtonText(QStringLiteral("OK"));
    box->setCancelButtonText(QStringLiteral("Отмена"));
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

void QtDialogs::restoreAllOverrideCursors()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}
