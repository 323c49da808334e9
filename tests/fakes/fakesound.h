#pragma once
// Fakes of the sound and the pacing for tests of whole games: both write into one timeline,
// so a test reads what was heard and how long the game held, in order, e.g.
//   "clip false to end", "wait 1500", "clip fon1 background", "clip zal silent", "wait 2000"
// A clip's name is its file's name as given in the path, without ".wav".

#include "pacer.h"
#include "soundbackend.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

/// What the fakes have heard and waited, one line an event.
struct Timeline
{
    QStringList events;
};

/// A pacer that only writes "wait <ms>" into the timeline.
class FakePacer : public Pacer
{
public:
    explicit FakePacer(Timeline &timeline) : m_timeline(timeline) {}
    void wait(int ms) override { m_timeline.events << QStringLiteral("wait %1").arg(ms); }

private:
    Timeline &m_timeline;
};

/// A sound backend that writes "clip <name> to end", "clip <name> background" or, when it
/// returns false, "clip <name> silent". Every existing file plays unless marked unplayable;
/// markPlayable lets a path play without a file. A clip played to its end also writes
/// "wait <ms>" when a duration was set for its name.
class FakeSound : public SoundBackend
{
public:
    explicit FakeSound(Timeline &timeline) : m_timeline(timeline) {}

    /// The clip's name for a path: "/x/wav/MILLION.wav" gives "MILLION".
    static QString clipName(const QString &path)
    {
        QString name = QFileInfo(path).fileName();
        if (name.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive))
            name.chop(4);
        return name;
    }

    /// Makes a path, or every path of a clip name, fail to play.
    void markUnplayable(const QString &pathOrName) { m_unplayable.insert(pathOrName); }
    /// Makes a path play though no file is there.
    void markPlayable(const QString &path) { m_playable.insert(path); }
    /// The wait written after the clip name is played to its end.
    void setDuration(const QString &name, int ms) { m_durations.insert(name, ms); }

    bool play(const QString &path, bool toEnd) override
    {
        const QString name = clipName(path);
        const bool playable = !m_unplayable.contains(path) && !m_unplayable.contains(name)
                              && (m_playable.contains(path) || QFileInfo(path).isFile());
        if (!playable) {
            m_timeline.events << QStringLiteral("clip %1 silent").arg(name);
            return false;
        }
        m_timeline.events << QStringLiteral("clip %1 %2")
                                 .arg(name, toEnd ? QStringLiteral("to end")
                                                  : QStringLiteral("background"));
        if (toEnd && m_durations.contains(name))
            m_timeline.events << QStringLiteral("wait %1").arg(m_durations.value(name));
        return true;
    }

private:
    Timeline &m_timeline;
    QSet<QString> m_unplayable;
    QSet<QString> m_playable;
    QMap<QString, int> m_durations;
};
