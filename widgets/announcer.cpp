#include "announcer.h"

AnnouncerLine::AnnouncerLine(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 1, 1);
    // Nothing to say yet: a reader would find a notification without words.
    setVisible(false);
}

Announcer::Announcer(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Announcer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 1, 1);
    for (AnnouncerLine *&line : m_lines)
        line = new AnnouncerLine(this);
}

void Announcer::announce(const QString &text)
{
    for (AnnouncerLine *line : m_lines)
        line->hide();
    AnnouncerLine *line = m_lines[m_next];
    m_next = (m_next + 1) % m_lines.size();
    line->setAccessibleName(text);
    line->show();
    emit announced(text);
}
