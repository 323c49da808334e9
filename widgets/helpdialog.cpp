#include "helpdialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QScreen>
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
    // An old 800×600 monitor still shows the whole window, title bar and button included: the
    // window takes at most nine tenths of the screen and the text scrolls.
    const QSize room = screen() ? screen()->availableSize() * 0.9 : size;
    resize(size.boundedTo(room));
}

QString HelpDialog::plainText() const
{
    return m_browser->toPlainText();
}
