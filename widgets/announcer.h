#pragma once
// Lines a screen reader speaks when the program says them. Qt of this version has no way to
// hand a reader a sentence to speak, but a reader speaks a notification as it appears (Orca
// does; an alert it does not): each sentence becomes a notification of one transparent pixel
// that shows itself. A sighted player sees nothing of it.
//
// A reader asks for a notification's words when it gets to the event, which may be after the
// program has said the next sentence; so each sentence gets a line of its own, and a line is
// used again only four sentences later.

#include <QWidget>

#include <array>

/// One sentence for a reader, as a notification.
class AnnouncerLine : public QWidget
{
    Q_OBJECT
public:
    explicit AnnouncerLine(QWidget *parent);
};

class Announcer : public QWidget
{
    Q_OBJECT
public:
    explicit Announcer(QWidget *parent = nullptr);

    /// Has text spoken now; the same text twice is spoken twice.
    void announce(const QString &text);

signals:
    /// A sentence went to the reader.
    void announced(const QString &text);

private:
    std::array<AnnouncerLine *, 4> m_lines{};
    size_t m_next = 0;
};
