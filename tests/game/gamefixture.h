#pragma once
// A program folder with a lesson whose every answer is known, and helpers that play it the way a
// student does: typing into the input boxes, clicking the buttons, reading the screen.

#include "faq.h"
#include "formfixture.h"
#include "gradbtn.h"
#include "inifile.h"
#include "results.h"

#include <QLabel>
#include <QFrame>

#include <functional>

/// A pacer that writes its waits into the timeline and lets a test look at the screen meanwhile.
class WatchingPacer : public Pacer
{
public:
    explicit WatchingPacer(Timeline &timeline) : m_timeline(timeline) {}
    void wait(int ms) override
    {
        m_timeline.events << QStringLiteral("wait %1").arg(ms);
        if (during)
            during(ms);
    }
    std::function<void(int)> during;

private:
    Timeline &m_timeline;
};

class GameFixture : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n");
        writeBank(folder + QStringLiteral("lesson.faq"), 3);
    }

    /// A bank whose question i of level L reads "Вопрос L.i", right answer "Верно L", wrong "Нет L a/b/c".
    static void writeBank(const QString &path, int perLevel, int skipLevel = 0)
    {
        QByteArray bank;
        for (int level = 1; level <= kLevels; ++level) {
            bank += "[" + QByteArray::number(level) + "]\r\n";
            if (level == skipLevel)
                continue;
            for (int i = 0; i < perLevel; ++i) {
                const QString line = QStringLiteral("Вопрос %1.%2|Верно %1|Нет %1 a|Нет %1 b|Нет %1 c|").arg(level).arg(i);
                bank += ScrambleText(*cp1251::encode(line)) + "\r\n";
            }
        }
        testutil::writeBytes(path, bank);
    }

    TForm1 &startWatched()
    {
        form = std::make_unique<TForm1>(services(watching));
        return *form;
    }

    /// Types the lesson code and the name into the two input boxes of a new game; over a game
    /// on screen, first answers «Прервать» to the question whether to leave it.
    void newGame(const QString &lesson, const QString &name)
    {
        if (form->Game.CurrentLevel >= 1 && form->Game.CurrentLevel <= kLevels)
            dialogs.leaves.push_back(true);
        dialogs.answer(lesson);
        dialogs.answer(name);
        form->N2->trigger();
    }

    /// The button whose caption shows the right answer of the level on screen.
    int rightButton() const
    {
        const QString right = QStringLiteral("Верно %1").arg(form->Game.CurrentLevel);
        for (int tag = 1; tag <= 4; ++tag) {
            if (form->FaqBtn[static_cast<size_t>(tag)]->Caption().endsWith(QStringLiteral(". ") + right))
                return tag;
        }
        return 0;
    }
    int wrongButton() const { return rightButton() % 4 + 1; }

    void answerRight() { form->FaqBtn[static_cast<size_t>(rightButton())]->Click(); }
    void answerWrong() { form->FaqBtn[static_cast<size_t>(wrongButton())]->Click(); }

    /// The unscrambled record of a player in a lesson, or an empty text.
    QString record(const QString &lesson, const QString &name) const
    {
        const QByteArray key = checks(*cp1251::encode(name.toUpper()));
        const QByteArray value = IniReadString(ResultsFilePath(folder), *cp1251::encode(lesson), key, {});
        return cp1251::decode(ScrambleText(value));
    }

    bool resultsFileExists() const { return QFileInfo::exists(ResultsFilePath(folder)); }

    WatchingPacer watching{timeline};
};
