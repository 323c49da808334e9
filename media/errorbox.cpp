#include "errorbox.h"

#include "stringres.h"

#include <QGuiApplication>

bool QtDialogs::inputText(const QString &caption, const QString &prompt, QString &value)
{
    const std::unique_ptr<QInputDialog> box = makeInputBox(caption, prompt, value);
    if (box->exec() != QDialog::Accepted)
        return false;
    value = box->textValue();
    return true;
}

void QtDialogs::showError(const QString &message)
{
    // An error may come in the middle of a long job with the hourglass up; the player must see
    // an ordinary pointer to press OK.
    restoreAllOverrideCursors();
    makeErrorBox(message)->exec();
}

void QtDialogs::showFailure(const QString &message)
{
    restoreAllOverrideCursors();
    auto box = makeErrorBox(message);
    box->setWindowTitle(LoadStr(StringId::Title));
    box->exec();
}

std::unique_ptr<QMessageBox> QtDialogs::makeErrorBox(const QString &message)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, QStringLiteral("Ошибка"),
                                             message, QMessageBox::Ok);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

std::unique_ptr<QInputDialog> QtDialogs::makeInputBox(const QString &caption,
                                                      const QString &prompt,
                                                      const QString &value)
{
    auto box = std::make_unique<QInputDialog>();
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
