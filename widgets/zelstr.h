#pragma once
// A holder of one list of Windows-1251 lines, kept on a window the way a string list property
// is kept on a form.

#include <QByteArray>
#include <QList>
#include <QObject>

class TZelStr : public QObject
{
    Q_OBJECT
public:
    /// An empty list owned by parent.
    explicit TZelStr(QObject *parent = nullptr);

    /// The lines, each the stored Windows-1251 bytes without a line break.
    const QList<QByteArray> &Strings() const { return m_strings; }
    /// Replaces the lines with a copy of strings.
    void setStrings(const QList<QByteArray> &strings);

private:
    QList<QByteArray> m_strings;
};
