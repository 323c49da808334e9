// A run of whole games played with one seed and one set of keys, compared against the run as it
// was recorded once: every banner, clip, wait, box and caption in order, the record calls, the
// results file's bytes, the counters store and the journal's rows with its outbox. Any change of
// the game's hidden behaviour (a draw more or less, a remark out of turn, a row recorded in another
// order) shows here as the first line that differs.
//
// After a deliberate change of behaviour, run the test with TALLORY_UPDATE_GOLDEN=1 to write the
// new recording, and read its difference before committing it.

#include "lifelinesfixture.h"

#include "counters.h"
#include "gamejournal.h"
#include "journalfiles.h"
#include "telform.h"

#include <QAction>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

namespace {

const QString kGolden = QStringLiteral(TALLORY_TEST_DATA "/game/wholegame.golden");

QString joined(const std::array<int, 5> &votes)
{
    return QStringLiteral("%1 %2 %3 %4").arg(votes[1]).arg(votes[2]).arg(votes[3]).arg(votes[4]);
}

/// Writes every call the game makes to its recorder into a list of its own, then hands it on.
/// The list is apart from the timeline: what is recorded, and in which order, is the game's
/// behaviour; whether a row is written just before or just after a banner shows is not.
class LoggingRecorder final : public GameRecorder
{
public:
    explicit LoggingRecorder(GameRecorder &inner) : m_inner(inner) {}
    QStringList calls;

    void gameStarted(const StartedGame &game) override
    {
        log(QStringLiteral("started %1 %2 %3").arg(cp1251::decode(game.lessonCode), cp1251::decode(game.playerName),
                                                   QFileInfo(game.bankPath).fileName()));
        m_inner.gameStarted(game);
    }
    void questionShown(const ShownQuestion &q) override
    {
        log(QStringLiteral("shown level %1 line %2 order %3 question %4")
                .arg(q.level)
                .arg(q.bankIndex)
                .arg(QString::fromLatin1(q.order), cp1251::decode(q.question)));
        m_inner.questionShown(q);
    }
    void fiftyFiftyUsed(const std::array<int, 2> &blanked) override
    {
        log(QStringLiteral("fifty %1 %2").arg(blanked[0]).arg(blanked[1]));
        m_inner.fiftyFiftyUsed(blanked);
    }
    void audienceAsked(const std::array<int, 5> &votes) override
    {
        log(QStringLiteral("audience ") + joined(votes));
        m_inner.audienceAsked(votes);
    }
    void friendCalled(const QByteArray &reply) override
    {
        log(QStringLiteral("friend ") + cp1251::decode(reply));
        m_inner.friendCalled(reply);
    }
    void teaseShown(const QByteArray &tease) override
    {
        log(QStringLiteral("tease ") + cp1251::decode(tease));
        m_inner.teaseShown(tease);
    }
    void answered(int button) override
    {
        log(QStringLiteral("answered %1").arg(button));
        m_inner.answered(button);
    }
    void gameLeft() override
    {
        log(QStringLiteral("left"));
        m_inner.gameLeft();
    }
    void gameEnded(GameEnding how, int currentLevel) override
    {
        log(QStringLiteral("ended %1 at %2").arg(static_cast<int>(how)).arg(currentLevel));
        m_inner.gameEnded(how, currentLevel);
    }
    bool leftUnfinished(const QByteArray &lessonCode, const QByteArray &playerName) override
    {
        const bool left = m_inner.leftUnfinished(lessonCode, playerName);
        log(QStringLiteral("left unfinished? %1 %2: %3")
                .arg(cp1251::decode(lessonCode), cp1251::decode(playerName), left ? QStringLiteral("yes")
                                                                                   : QStringLiteral("no")));
        return left;
    }

private:
    void log(const QString &what) { calls << what; }
    GameRecorder &m_inner;
};

/// A file's bytes as hex, 64 digits a line.
QStringList hexLines(const QString &title, const QByteArray &bytes)
{
    QStringList lines{QStringLiteral("== %1 (%2 bytes)").arg(title).arg(bytes.size())};
    const QByteArray hex = bytes.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 64)
        lines << QString::fromLatin1(hex.mid(i, 64));
    return lines;
}

} // namespace

class GoldenGame : public LifelinesFixture
{
protected:
    void SetUp() override
    {
        LifelinesFixture::SetUp();
        writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[ПУСТ]\r\nВопросник=holes.faq\r\n"
                      u"[настройки]\r\nПопытка=строго\r\n");
        writeBank(folder + QStringLiteral("holes.faq"), 2, 3);
        JournalClock clock{[] { return qint64(1796860800000); }, [this] { return steady += 1500; }};
        journal = std::make_unique<GameJournal>(folder, QStringLiteral("ПК-1"), clock, JournalSync::Normal);
        journal->keepOutbox([] {});
        logging = std::make_unique<LoggingRecorder>(*journal);
        FormServices s = services(watching);
        s.recorder = logging.get();
        form = std::make_unique<TForm1>(s);
        form->show();
        QApplication::setActiveWindow(form.get());
        // The board with the grade is up while the game holds for it.
        watching.during = [this](int ms) {
            if (form->Tablo->isVisibleTo(form.get()))
                timeline.events << QStringLiteral("board during wait %1: %2").arg(ms).arg(form->Label1->text());
        };
        dialogs.onModal = [this](QDialog &d) {
            TTelform &call = lifelines::callWindow(d);
            const QString prompt = call.Label1->text();
            timeline.events << QStringLiteral("call prompt: ") + prompt;
            const QString number = prompt.right(7);
            QTest::keyClicks(&call, number);
            timeline.events << QStringLiteral("call reply: ") + call.Label1->text();
            QTest::keyClick(&call, Qt::Key_Return);
        };
    }
    void TearDown() override
    {
        LifelinesFixture::TearDown();
        logging.reset();
        journal.reset();
    }

    /// What the student sees now: the ladder's marked rows, the question, the answers, the
    /// board and the commands that can be pressed.
    void snap(const QString &after)
    {
        TForm1 &f = *form;
        QStringList ladder;
        for (int level = 1; level <= kLevels; ++level) {
            const QString row = f.Edit[static_cast<size_t>(level)]->text();
            if (row.mid(4, 1) != QStringLiteral("-"))
                ladder << row.trimmed();
        }
        timeline.events << QStringLiteral("screen after %1: level %2, ladder [%3]")
                               .arg(after)
                               .arg(f.Game.CurrentLevel)
                               .arg(ladder.join(QStringLiteral("; ")));
        if (f.Memo1->isVisibleTo(&f))
            timeline.events << QStringLiteral("  question: ") + f.Memo1->toPlainText();
        for (int tag = 1; tag <= 4; ++tag) {
            TGradBtn *b = f.FaqBtn[static_cast<size_t>(tag)];
            if (b->isVisibleTo(&f))
                timeline.events << QStringLiteral("  button %1: %2 [%3]").arg(tag).arg(b->Caption(), b->BeginColor().name());
        }
        if (f.Tablo->isVisibleTo(&f))
            timeline.events << QStringLiteral("  board: ") + f.Label1->text();
        timeline.events << QStringLiteral("  commands: 50x50 %1, audience %2, friend %3, stop %4")
                               .arg(f.N50501->isEnabled())
                               .arg(f.N4->isEnabled())
                               .arg(f.N5->isEnabled())
                               .arg(f.N6->isEnabled());
    }

    void key(Qt::Key k, const QString &name)
    {
        timeline.events << QStringLiteral("> key ") + name;
        QTest::keyClick(form.get(), k);
        snap(name);
    }
    void answer(bool right)
    {
        const int tag = right ? rightButton() : wrongButton();
        timeline.events << QStringLiteral("> answer %1").arg(tag);
        QTest::keyClick(form.get(), static_cast<char>('0' + tag));
        snap(QStringLiteral("answer %1").arg(tag));
    }
    void play(const QString &lesson, const QString &name)
    {
        timeline.events << QStringLiteral("> new game %1 %2").arg(lesson, name);
        newGame(lesson, name);
        snap(QStringLiteral("new game"));
    }

    /// The journal's rows and its outbox, the game ids named G1, G2... in the order they came.
    QStringList journalRows()
    {
        QStringList lines;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("golden"));
            db.setDatabaseName(JournalFilePath(folder, QStringLiteral("ПК-1")));
            EXPECT_TRUE(db.open());
            for (const QString &table : {QStringLiteral("games"), QStringLiteral("answers"), QStringLiteral("outbox")}) {
                lines << QStringLiteral("== journal ") + table;
                QSqlQuery q(db);
                // Ids are random: games come by student, answers by their game's student.
                const QString sql = table == QStringLiteral("outbox") ? QStringLiteral("SELECT * FROM outbox ORDER BY seq")
                    : table == QStringLiteral("games")
                    ? QStringLiteral("SELECT * FROM games ORDER BY student")
                    : QStringLiteral("SELECT a.* FROM answers a JOIN games g ON g.id = a.game ORDER BY g.student, a.level");
                EXPECT_TRUE(q.exec(sql));
                while (q.next()) {
                    QStringList values;
                    for (int c = 0; c < q.record().count(); ++c)
                        values << (q.value(c).isNull() ? QStringLiteral("NULL") : q.value(c).toString());
                    lines << values.join(QLatin1Char('|'));
                }
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("golden"));
        // Names for the ids, in the order the rows above give them.
        static const QRegularExpression uuid(QStringLiteral("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}"));
        QStringList ids;
        QString text = lines.join(QLatin1Char('\n'));
        for (auto it = uuid.globalMatch(text); it.hasNext();) {
            const QString id = it.next().captured();
            if (!ids.contains(id))
                ids << id;
        }
        for (qsizetype i = 0; i < ids.size(); ++i)
            text.replace(ids[i], QStringLiteral("G%1").arg(i + 1));
        text.replace(QDir(folder).absolutePath(), QStringLiteral("<folder>"));
        return text.split(QLatin1Char('\n'));
    }

    qint64 steady = 0;
    std::unique_ptr<GameJournal> journal;
    std::unique_ptr<LoggingRecorder> logging;
};

TEST_F(GoldenGame, ARunOfGamesPlaysAsRecorded)
{
    // Every lifeline, then a stop at a milestone's grade.
    play(QStringLiteral("тест"), QStringLiteral("Первый"));
    key(Qt::Key_F5, QStringLiteral("F5"));
    answer(true);
    key(Qt::Key_F3, QStringLiteral("F3"));
    answer(true);
    key(Qt::Key_F4, QStringLiteral("F4"));
    for (int i = 0; i < 4; ++i)
        answer(true);
    key(Qt::Key_F6, QStringLiteral("F6"));
    // A wrong answer after two right ones.
    play(QStringLiteral("ТЕСТ"), QStringLiteral("Второй"));
    answer(true);
    answer(true);
    answer(false);
    // The same student again: refused.
    play(QStringLiteral("ТЕСТ"), QStringLiteral("Второй"));
    // A win: every level, teases included; the audience on the way.
    play(QStringLiteral("ТЕСТ"), QStringLiteral("Кузнецов"));
    for (int clicks = 0; form->Game.CurrentLevel >= 1 && clicks < 40; ++clicks) {
        if (form->Game.CurrentLevel == 8 && form->N4->isEnabled())
            key(Qt::Key_F3, QStringLiteral("F3"));
        answer(true);
    }
    // A game left with F2 over it, then a cancelled start; with strict attempts it counts.
    play(QStringLiteral("ТЕСТ"), QStringLiteral("Четвёртый"));
    answer(true);
    timeline.events << QStringLiteral("> new game, leaving, cancelled");
    dialogs.leaves.push_back(true);
    dialogs.answer(std::nullopt);
    form->N2->trigger();
    snap(QStringLiteral("leaving"));
    play(QStringLiteral("ТЕСТ"), QStringLiteral("Четвёртый"));
    // A lesson whose bank has no question for level 3.
    play(QStringLiteral("пуст"), QStringLiteral("Пятый"));
    answer(true);
    answer(true);

    QStringList recorded = timeline.events;
    recorded << QStringLiteral("== record calls") << logging->calls;
    recorded << hexLines(QStringLiteral("tallory.rez"), testutil::readBytes(ResultsFilePath(folder)));
    recorded << hexLines(QStringLiteral("counters"), testutil::readBytes(CounterStoreLocation()));
    recorded << journalRows();
    // One event a line: a prompt or a reply of several lines shows its breaks.
    for (QString &line : recorded)
        line.replace(QLatin1Char('\r'), QStringLiteral("\\r")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));

    if (qEnvironmentVariableIsSet("TALLORY_UPDATE_GOLDEN")) {
        testutil::writeBytes(kGolden, recorded.join(QLatin1Char('\n')).toUtf8() + '\n');
        GTEST_SKIP() << "recorded " << kGolden.toStdString();
    }
    const QStringList golden = QString::fromUtf8(testutil::readBytes(kGolden)).split(QLatin1Char('\n'));
    ASSERT_GT(golden.size(), 100) << "no recording at " << kGolden.toStdString();
    for (qsizetype i = 0; i < std::max(golden.size() - 1, recorded.size()); ++i) {
        const QString want = i < golden.size() - 1 ? golden[i] : QStringLiteral("<end>");
        const QString got = i < recorded.size() ? recorded[i] : QStringLiteral("<end>");
        ASSERT_EQ(got.toStdString(), want.toStdString()) << "first difference at line " << i + 1;
    }
}
