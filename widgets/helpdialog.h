#pragma once
// A window of help text with a "Закрыть" button, not modal: the rules of the game, the
// teacher's guide.

#include <QDialog>

class QTextBrowser;

class HelpDialog : public QDialog
{
    Q_OBJECT
public:
    /// A help window with the caption, the rich text and the first size given.
    HelpDialog(const QString &caption, const QString &html, QSize size, QWidget *parent = nullptr);

    /// The text as shown, for tests.
    QString plainText() const;

private:
    QTextBrowser *m_browser = nullptr;
};
