#pragma once
// A program folder of its own with a bank and the answer journals of its games, written through
// the game's own journal with clocks the test moves by hand, and a workbench window on it.

#include "../teachertest_window.h"

#include "analysisview.h"
#include "levelmovespane.h"
#include "bankfile.h"
#include "cp1251.h"
#include "gamejournal.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>

#include <map>

namespace analysistest {

/// One answer of a game: the question (level, row in its level), the bank answer chosen (1 right,
/// 2..4 wrong 1..3, 0 a stop on it), the time to the click and the lifelines taken on it.
struct Step {
    Step(int level, int row, int chosen, qint64 ms, bool fifty = false, QString friendReply = {}, bool audience = false)
        : level(level), row(row), chosen(chosen), ms(ms), fifty(fifty), friendReply(std::move(friendReply)),
          audience(audience)
    {
    }
    int level;
    int row;
    int chosen;
    qint64 ms;
    bool fifty;
    QString friendReply;
    bool audience;
};

/// A bank of levels 1..15 whose questions are named "У<level>В<row>" and whose answers are
/// "верный", "неверный 1", ... followed by the question's name.
inline EditorBank namedBank(const std::array<int, 16> &perLevel)
{
    EditorBank bank;
    for (int level = 1; level <= 15; ++level) {
        for (int row = 0; row < std::max(1, perLevel[size_t(level)]); ++row) {
            const QString name = QStringLiteral("У%1В%2").arg(level).arg(row);
            bank.levels[size_t(level)].append(QuestionFields{QStringLiteral("Вопрос %1?").arg(name),
                                                             QStringLiteral("верный ") + name,
                                                             QStringLiteral("неверный 1 ") + name,
                                                             QStringLiteral("неверный 2 ") + name,
                                                             QStringLiteral("неверный 3 ") + name, QString()});
        }
    }
    return bank;
}

/// The hash the journal keeps of a question line.
inline QString lineHash(const QuestionFields &fields)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(*cp1251::encode(QuestionLine(fields)), QCryptographicHash::Sha256).toHex());
}

class AnalysisTest : public WindowTest
{
protected:
    void SetUp() override
    {
        bankPath = folder + QStringLiteral("lesson.faq");
        ASSERT_TRUE(SaveFaq(bankPath, bank).ok());
        // The folder plays the lesson from its own bank, as a class's folder does.
        QFile ini(folder + QStringLiteral("tallory.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(*cp1251::encode(QStringLiteral("[ДЕМО]\r\nВопросник=lesson.faq\r\n")));
        ini.close();
        WindowTest::SetUp();
        view = window->findChild<AnalysisView *>(QStringLiteral("analysisView"));
        ASSERT_NE(view, nullptr);
        settle();
        refreshed = std::make_unique<QSignalSpy>(view, &AnalysisView::refreshed);
    }
    void TearDown() override { journals.clear(); }

    GameJournal &journal(const QString &machine)
    {
        auto &j = journals[machine];
        if (!j)
            j = std::make_unique<GameJournal>(folder, machine, JournalClock{[this] { return wall; }, [this] { return steady; }},
                                              JournalSync::Normal);
        return *j;
    }

    /// Plays the steps as one game; ending nothing leaves it unfinished.
    void play(const QString &machine, const QString &student, const QList<Step> &steps,
              std::optional<GameEnding> ending, int endLevel = 0, const QString &lesson = QStringLiteral("ДЕМО"))
    {
        GameJournal &j = journal(machine);
        j.gameStarted(StartedGame{*cp1251::encode(lesson), *cp1251::encode(student), bankPath});
        for (const Step &s : steps) {
            const QuestionFields &q = bank.levels[size_t(s.level)][s.row];
            ShownQuestion shown{s.level, s.row, *cp1251::encode(QuestionLine(q)), *cp1251::encode(q.question), {}, "1234"};
            for (int k = 1; k <= 4; ++k)
                shown.answers[size_t(k)] = *cp1251::encode(FieldAt(q, k));
            j.questionShown(shown);
            if (s.fifty)
                j.fiftyFiftyUsed({2, 4});
            if (s.audience)
                j.audienceAsked({0, 30, 10, 6, 4});
            if (!s.friendReply.isEmpty())
                j.friendCalled(*cp1251::encode(s.friendReply));
            advance(s.ms);
            if (s.chosen > 0)
                j.answered(s.chosen);
        }
        if (ending)
            j.gameEnded(*ending, endLevel);
        advance(60000);
    }

    void advance(qint64 ms)
    {
        wall += ms;
        steady += ms;
    }

    /// Shows the tab and reads the journals again, as a finished game's change would.
    void showTab()
    {
        window->tabs()->setCurrentWidget(view);
        view->refresh();
        settle();
    }

    /// Waits until the tab's reading thread has done what it was asked and the figures are shown.
    void settle(AnalysisView *tab = nullptr)
    {
        tab = tab ? tab : view;
        ASSERT_TRUE(QTest::qWaitFor([tab] { return !tab->busy(); }, 10000)) << "the reading never ended";
    }

    /// Chooses the row of a table with a click on its first cell.
    static void clickRow(QTableView *table, int row)
    {
        const QRect cell = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }

    QString cell(const char *table, int row, int column, int role = Qt::DisplayRole) const
    {
        const auto *t = view->findChild<QTableView *>(QLatin1String(table));
        return t ? t->model()->index(row, column).data(role).toString() : QString();
    }

    template <typename T>
    T *child(const char *name) const
    {
        return view->findChild<T *>(QLatin1String(name));
    }

    EditorBank bank = namedBank({0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    QString bankPath;
    qint64 wall = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC).toMSecsSinceEpoch();
    qint64 steady = 1000;
    std::map<QString, std::unique_ptr<GameJournal>> journals;
    AnalysisView *view = nullptr;
    std::unique_ptr<QSignalSpy> refreshed;
};

} // namespace analysistest
