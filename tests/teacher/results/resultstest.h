#pragma once
// Helpers of the results view tests: a lab of machines in a temporary folder, each with its own
// results file written by the game's own writer, hand-made lines for what the game never
// writes, and typing as a keyboard does.

#include "cp1251.h"
#include "testutil.h"
#include "results.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace resultstest {

using testutil::w;
using testutil::xorAd;

/// A results line as the game stores it: key, "=", the scrambled record, CR LF.
inline QByteArray line(const QByteArray &key, const QByteArray &record)
{
    return key + '=' + xorAd(record) + "\r\n";
}

/// A lab: one folder per machine, each with a results file "tallory.rez".
class Lab
{
public:
    QString rez(const QString &machine) const { return m_dir.filePath(machine + QStringLiteral("/tallory.rez")); }

    /// A graded game on the machine, written as the game writes it (the file replaced whole).
    void play(const QString &machine, const char16_t *lesson, const char16_t *name, int currentLevel) const
    {
        QDir().mkpath(m_dir.filePath(machine));
        const Status written = WriteResult(rez(machine), w(lesson), w(name), currentLevel);
        ASSERT_TRUE(written.ok()) << written.error.toStdString();
    }

    /// Appends raw bytes to the machine's file, for records the game would never write.
    void append(const QString &machine, const QByteArray &bytes) const
    {
        QDir().mkpath(m_dir.filePath(machine));
        QFile f(rez(machine));
        ASSERT_TRUE(f.open(QIODevice::Append));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
};

/// Types the text into the widget one key at a time, as a keyboard with any layout does.
inline void typeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        const int key = c.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace resultstest
