#include "helpdialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpDialog::HelpDialog(const QString &caption, const QString &html, QSize size, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(caption);
    m_browser = new QTextBrowser(this);
    m_browser->setHtml(html);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(size);
}

QString HelpDialog::plainText() const
{
    return m_browser->toPlainText();
}
