// The workbench's tab «Анализ» on a folder whose settings name the school's server: the whole
// school's answers from the server, a game ending on any machine shown without a refresh (the
// server's NOTIFY), and the folder's journals with a line saying why while the server is out of
// reach.

#include "analysisview.h"
#include "classjournals.h"
#include "journalfiles.h"
#include "journalload.h"
#include "pgcluster.h"
#include "serverrows.h"
#include "teachertest.h"
#include "teacherwindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>
#include <QSqlQuery>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <functional>

using namespace classjournals;

namespace {

class AnalysisServer : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (IsSkipped())
            return;
        initSchema();
    }
    void TearDown() override
    {
        window.reset();
        // A test that failed with the server stopped leaves it running for the next.
        pgtest::cluster().start();
    }

    // The lab's games, played on two machines of another folder, loaded into the server.
    void loadLab()
    {
        const QString lab = tmp.filePath(QStringLiteral("lab")) + QLatin1Char('/');
        writeClass(lab);
        const auto teacher = connect(service("teacher"));
        ASSERT_TRUE(teacher);
        QSqlDatabase db = teacher->database();
        for (const QString &file : JournalFiles(lab))
            ASSERT_TRUE(LoadJournalToServer(db, file).ok());
        journals = std::make_unique<AnswerArchive>(JournalFiles(lab));
    }

    static void writeClass(const QString &programFolder)
    {
        Writer even(programFolder, QStringLiteral("ПК-1"));
        Writer odd(programFolder, QStringLiteral("ПК-2"));
        odd.wall += 30000;
        WriteClass([&](int game) -> Writer & { return game % 2 ? odd : even; });
    }

    void openWindow(const QString &serviceName, bool settle = true)
    {
        QFile ini(folder + QStringLiteral("tallory.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(w(QStringLiteral("[сервер]\r\nСлужба=%1\r\n").arg(serviceName)));
        ini.close();
        window = std::make_unique<TeacherWindow>(folder, &prompts);
        window->show();
        view = window->findChild<AnalysisView *>(QStringLiteral("analysisView"));
        ASSERT_NE(view, nullptr);
        // A stopped server is noticed, and a restarted one read, within a fraction of a second.
        view->setServerRetryMs(100);
        if (settle)
            ASSERT_TRUE(settled());
    }

    /// Whether the tab's reading thread ends what it was asked, within a bound for a loaded machine.
    bool settled(const std::function<bool()> &also = [] { return true; })
    {
        return QTest::qWaitFor([&] { return !view->busy() && also(); }, 20000);
    }

    QString status() const { return view->findChild<QLabel *>(QStringLiteral("analysisStatus"))->text(); }
    int tableRows() const { return view->findChild<QTableView *>(QStringLiteral("questionTable"))->model()->rowCount(); }

    // A game of one right answer and a stop, sent as a machine's game sends its rows.
    void playOneMoreGame(const QuestionFigures &q)
    {
        const auto game = connect(service("game"));
        ASSERT_TRUE(game);
        QSqlDatabase db = game->database();
        const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QVariant none;
        ASSERT_TRUE(SendRow(db, ServerTable::Games, pgtest::row(ServerTable::Games,
                            {id, kLesson, QStringLiteral("НОВЫЙ УЧЕНИК"), QStringLiteral("ПК-9"), QStringLiteral("bank.faq"),
                             QString(64, QLatin1Char('0')), QStringLiteral("2026-03-03T10:00:00.000Z")})).ok());
        const auto answer = SendRow(db, ServerTable::Answers, pgtest::row(ServerTable::Answers,
                                    {id, q.level, q.bankIndex, q.sha256, QStringLiteral("2026-03-03T10:00:01.000Z"),
                                     q.question, q.answers[1], QStringLiteral("Неверно 1"), QStringLiteral("Неверно 2"),
                                     QStringLiteral("Неверно 3"), QStringLiteral("A"), QStringLiteral("A"), 1, 700, none,
                                     none, none, none, none, none, none}));
        ASSERT_TRUE(answer.ok()) << answer.error.toStdString();
        ASSERT_TRUE(SendRow(db, ServerTable::GameEnds, pgtest::row(ServerTable::GameEnds,
                            {id, QStringLiteral("2026-03-03T10:00:05.000Z"), QStringLiteral("stop"), 1,
                             QStringLiteral("Неудовлетворительно")})).ok());
    }

    QTemporaryDir tmp;
    QString folder = tmp.filePath(QStringLiteral("school")) + QLatin1Char('/');
    FakePrompts prompts;
    std::unique_ptr<AnswerArchive> journals;
    std::unique_ptr<TeacherWindow> window;
    AnalysisView *view = nullptr;
};

} // namespace

TEST_F(AnalysisServer, TabShowsTheServersFiguresAndAGameEndingAnywhere)
{
    loadLab();
    QDir().mkpath(folder);
    openWindow(service("teacher"));
    ASSERT_TRUE(view->readsServer()) << status().toStdString();
    const LessonAnalysis expected = journals->analyse(kLesson);
    EXPECT_EQ(view->analysis().games.size(), 20);
    EXPECT_EQ(view->analysis().answers, expected.answers);
    EXPECT_EQ(tableRows(), expected.questions.size());
    EXPECT_EQ(status(), QStringLiteral("Сервер «%1»: игр занятия: 20, ответов: %2.").arg(service("teacher")).arg(expected.answers));

    QSignalSpy refreshed(view, &AnalysisView::refreshed);
    playOneMoreGame(expected.questions.front());
    // No refresh asked for: the server's word that a game ended brings it in.
    ASSERT_TRUE(refreshed.wait(10000));
    EXPECT_EQ(refreshed.count(), 1);
    EXPECT_EQ(view->analysis().games.size(), 21);
    EXPECT_EQ(view->analysis().questions.front().asked, expected.questions.front().asked + 1);
    EXPECT_EQ(status(), QStringLiteral("Сервер «%1»: игр занятия: 21, ответов: %2.").arg(service("teacher")).arg(expected.answers + 1));
}

TEST_F(AnalysisServer, UnreachableServerIsSaidAndTheFoldersJournalsShown)
{
    writeClass(folder);
    openWindow(QStringLiteral("nosuchservice"));
    EXPECT_FALSE(view->readsServer());
    EXPECT_TRUE(status().startsWith(QStringLiteral("Ответы с сервера «nosuchservice» не прочитаны, показаны журналы этой папки: ")))
        << status().toStdString();
    EXPECT_TRUE(status().contains(QStringLiteral("Журналов: 2, игр занятия: 20"))) << status().toStdString();
    EXPECT_EQ(view->analysis().games.size(), 20);
}

TEST_F(AnalysisServer, TooOldASchemaIsSaidAndTheJournalsShown)
{
    ASSERT_EQ(pgtest::cluster().adminSql(m_database, {QStringLiteral("DELETE FROM tallory.schema_history WHERE version >= 2")}),
              QString());
    writeClass(folder);
    openWindow(service("teacher"));
    EXPECT_FALSE(view->readsServer());
    EXPECT_TRUE(status().startsWith(QStringLiteral("Ответы с сервера «%1» не прочитаны").arg(service("teacher")))) << status().toStdString();
    EXPECT_TRUE(status().contains(QStringLiteral("upgrade"))) << status().toStdString();
    EXPECT_EQ(view->analysis().games.size(), 20);
}

TEST_F(AnalysisServer, StoppedServerIsSaidWithWhatToFixAndReadAgainByItselfWhenItIsBack)
{
    loadLab();
    writeClass(folder);
    openWindow(service("teacher"));
    ASSERT_TRUE(view->readsServer()) << status().toStdString();
    const LessonAnalysis expected = journals->analyse(kLesson);

    ASSERT_EQ(pgtest::cluster().stop(), QString());
    // Nobody asked for a reading: the tab notices by itself.
    ASSERT_TRUE(settled([this] { return !view->readsServer(); })) << status().toStdString();
    EXPECT_TRUE(status().startsWith(QStringLiteral("Ответы с сервера «%1» не прочитаны, показаны журналы этой папки: ")
                                        .arg(service("teacher"))))
        << status().toStdString();
    EXPECT_TRUE(status().contains(QStringLiteral("проверьте, что он запущен"))) << status().toStdString();
    EXPECT_TRUE(status().contains(QStringLiteral("подключается снова сама"))) << status().toStdString();
    EXPECT_EQ(view->analysis().games.size(), 20) << "the folder's journals meanwhile";

    ASSERT_EQ(pgtest::cluster().start(), QString());
    ASSERT_TRUE(settled([this] { return view->readsServer(); })) << status().toStdString();
    EXPECT_EQ(status(), QStringLiteral("Сервер «%1»: игр занятия: 20, ответов: %2.").arg(service("teacher")).arg(expected.answers));
    // The server's announcements are heard again on the new connection.
    QSignalSpy refreshed(view, &AnalysisView::refreshed);
    playOneMoreGame(expected.questions.front());
    ASSERT_TRUE(refreshed.wait(10000));
    EXPECT_EQ(view->analysis().games.size(), 21);
}

TEST_F(AnalysisServer, WindowAnswersKeysWhileTheServerIsSlowToAnswer)
{
    loadLab();
    QDir().mkpath(folder);
    // The owner holds the games' table: the tab's reading waits for it as for a slow server.
    const auto owner = connect(service("owner"));
    ASSERT_TRUE(owner);
    QSqlDatabase db = owner->database();
    ASSERT_TRUE(db.transaction());
    QSqlQuery lock(db);
    ASSERT_TRUE(lock.exec(QStringLiteral("LOCK TABLE tallory.games IN ACCESS EXCLUSIVE MODE")));
    openWindow(service("teacher"), false);
    auto *margin = view->findChild<QSpinBox *>(QStringLiteral("analysisMargin"));
    margin->setFocus();
    margin->selectAll();
    // Keys typed go through the window's event loop, as a teacher's do.
    for (const auto &[key, text] : {std::pair{Qt::Key_4, "4"}, std::pair{Qt::Key_0, "0"}}) {
        QCoreApplication::postEvent(margin, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, QLatin1String(text)));
        QCoreApplication::postEvent(margin, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, QLatin1String(text)));
    }
    ASSERT_TRUE(QTest::qWaitFor([margin] { return margin->value() == 40; }, 10000)) << margin->value();
    EXPECT_TRUE(view->busy()) << "the reading was still held";
    EXPECT_FALSE(view->readsServer());

    ASSERT_TRUE(db.rollback());
    ASSERT_TRUE(settled([this] { return view->readsServer(); })) << status().toStdString();
    EXPECT_EQ(view->analysis().games.size(), 20);
}
