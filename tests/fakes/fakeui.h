#pragma once
// Fakes of the dialogs and banners for tests of whole games. They write into the same timeline
// as the sound and pacer fakes, so one list tells everything the player saw and heard in order.

#include "banners.h"
#include "dialogs.h"
#include "fakesound.h"

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

/// Answers the input boxes from a script: an entry that is nullopt presses Cancel.
class FakeDialogs : public Dialogs
{
public:
    explicit FakeDialogs(Timeline &timeline) : m_timeline(timeline) {}

    void answer(const std::optional<QString> &text) { m_answers.push_back(text); }

    bool inputText(const QString &caption, const QString &prompt, QString &value) override
    {
        m_timeline.events << QStringLiteral("input %1: %2").arg(caption, prompt);
        if (m_answers.empty() || !m_answers.front()) {
            if (!m_answers.empty())
                m_answers.pop_front();
            return false;
        }
        value = *m_answers.front();
        m_answers.pop_front();
        return true;
    }
    /// The next answers to confirmLeave, true to leave; with none left the box is answered
    /// with Enter, which stays.
    std::deque<bool> leaves;
    bool confirmLeave(const QString &question, const QString &leave, const QString &stay) override
    {
        m_timeline.events << QStringLiteral("ask: %1 [%2 | %3]").arg(question, leave, stay);
        const bool answer = !leaves.empty() && leaves.front();
        if (!leaves.empty())
            leaves.pop_front();
        return answer;
    }
    void showError(const QString &message) override { m_timeline.events << QStringLiteral("error: ") + message; }
    void showFailure(const QString &message) override
    {
        m_timeline.events << QStringLiteral("failure: ") + message;
    }
    /// Shows the window, runs the test's script on it as the player would act in it (keys,
    /// clicks, timer ticks), and returns. A window the script left open is closed here,
    /// as the modal show cannot return before that.
    void showModal(QDialog &window) override
    {
        m_timeline.events << QStringLiteral("modal: ") + window.windowTitle();
        window.show();
        if (onModal)
            onModal(window);
        stillOpenAfterScript = window.isVisible();
        if (window.isVisible())
            window.close();
        m_timeline.events << QStringLiteral("modal closed");
    }
    void showAbout(const QString &caption, const QString &text) override
    {
        m_timeline.events << QStringLiteral("about %1: %2").arg(caption, text);
    }

    /// What the player does in the next modal window.
    std::function<void(QDialog &)> onModal;
    bool stillOpenAfterScript = false;

private:
    Timeline &m_timeline;
    std::deque<std::optional<QString>> m_answers;
};

/// Writes "banner: <text> [<background> on <text colour>]" and "banner closed".
class FakeBanners : public Banners
{
public:
    explicit FakeBanners(Timeline &timeline) : m_timeline(timeline) {}

    void showBanner(const QString &caption, const QString &text, const QColor &background,
                    const QColor &textColour) override
    {
        lastCaption = caption;
        m_timeline.events << QStringLiteral("banner: %1 [%2 on %3]")
                                 .arg(text, textColour.name(), background.name());
        ++open;
        if (whileShown)
            whileShown();
    }
    void closeBanner() override
    {
        if (open > 0) {
            --open;
            m_timeline.events << QStringLiteral("banner closed");
        }
    }

    int open = 0;
    QString lastCaption;
    /// Run while a banner is up, as the events that arrive then.
    std::function<void()> whileShown;

private:
    Timeline &m_timeline;
};
