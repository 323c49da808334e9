// The workbench's results tab on a folder that names the school's server: the whole school's rows,
// new ones arriving by the server's announcement, the files loaded once, the files shown while
// the server is out of reach.

#include "accessibletree.h"
#include "accessiblewidgets.h"
#include "cp1251.h"
#include "pgcluster.h"
#include "results.h"
#include "resultsview.h"
#include "serverrows.h"
#include "teachertest.h"
#include "teacherwindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <functional>

namespace {

class ServerWorkbench : public pgtest::ServerTest
{
protected:
    void SetUp() override
    {
        pgtest::ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        initSchema();
        game = connect(service("game"));
        ASSERT_TRUE(game);
        // Each test starts as a first start: the files the last one left open are not this one's.
        QSettings(QStringLiteral("Quarnel"), QStringLiteral("tallory-teacher")).clear();
    }

    void TearDown() override
    {
        window.reset();
        // A test that failed with the server stopped leaves it running for the next.
        pgtest::cluster().start();
    }

    void nameServer(const QString &serviceName)
    {
        QFile ini(folder + QStringLiteral("tallory.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(cp1251::encode(QStringLiteral("[сервер]\r\nСлужба=%1\r\n").arg(serviceName)).value());
    }

    void sendLive(const QString &name, const QString &machine)
    {
        QSqlDatabase db = game->database();
        const auto sent = SendRow(db, ServerTable::Results, pgtest::row(ServerTable::Results,
                                  {QUuid::createUuid().toString(QUuid::WithoutBraces), QStringLiteral("ФИЗИКА"), name, 7,
                                   QStringLiteral("Удовлетворительно"), machine,
                                   QStringLiteral("2026-12-09T07:30:00.000Z")}));
        ASSERT_TRUE(sent.ok() && sent.value) << sent.error.toStdString();
    }

    void writeRez(const QStringList &names)
    {
        for (const QString &name : names)
            ASSERT_TRUE(WriteResult(ResultsFilePath(folder), cp1251::text(u"ФИЗИКА"), *cp1251::encode(name), 8).ok());
    }

    void open()
    {
        window = std::make_unique<TeacherWindow>(folder, &prompts);
        window->show();
        window->tabs()->setCurrentWidget(window->results());
        // A stopped server is noticed, and a restarted one read, within a fraction of a second.
        window->results()->setServerRetryMs(100);
        settle();
    }

    /// Waits until the tab's server thread has done what it was asked, and also() holds.
    void settle(const std::function<bool()> &also = [] { return true; })
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->results()->busy() && also(); }, 20000))
            << serverLine().toStdString();
    }

    QAbstractItemModel *table() const
    {
        return window->results()->findChild<QTableView *>(QStringLiteral("resultsTable"))->model();
    }

    QString cell(int row, int column) const { return table()->index(row, column).data().toString(); }

    QString serverLine() const
    {
        return window->results()->findChild<QLabel *>(QStringLiteral("serverLine"))->text();
    }

    QAction *loadAction() const { return window->findChild<QAction *>(QStringLiteral("actionLoadToServer")); }

    std::unique_ptr<ServerConnection> game;
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    FakePrompts prompts;
    std::unique_ptr<TeacherWindow> window;
};

} // namespace

TEST_F(ServerWorkbench, TabShowsTheSchoolsRowsAndANewOneArrivesByItself)
{
    nameServer(service("teacher"));
    writeRez({QStringLiteral("СИДОРОВ С.С.")});
    sendLive(QStringLiteral("O'NEIL"), QStringLiteral("ПК-1"));
    sendLive(QStringLiteral("'); DROP TABLE x; --"), QStringLiteral("ПК-2"));
    open();
    ASSERT_TRUE(window->results()->showsServer()) << serverLine().toStdString();
    ASSERT_EQ(table()->rowCount(), 2) << "the server's rows, not the folder's file";
    EXPECT_EQ(table()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Компьютер"));
    EXPECT_EQ(table()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Записано"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("O'NEIL"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("'); DROP TABLE x; --"));
    EXPECT_EQ(cell(1, 4), QStringLiteral("ПК-2"));
    // Sent by hand with no game behind them: in doubt, with the server's own note of who sent them.
    EXPECT_TRUE(cell(1, 5).startsWith(QStringLiteral("под сомнением: за записью нет игры"))) << cell(1, 5).toStdString();
    EXPECT_EQ(table()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Получено"));
    EXPECT_TRUE(cell(1, 7).endsWith(QStringLiteral(", на сервере, school_game"))) << cell(1, 7).toStdString();
    EXPECT_TRUE(serverLine().contains(service("teacher")));

    QSignalSpy refreshed(window->results(), &ResultsView::refreshed);
    sendLive(QStringLiteral("ПЕТРОВ П.П."), QStringLiteral("ПК-3"));
    ASSERT_TRUE(refreshed.wait(10000)) << "the server's announcement brings the new row";
    EXPECT_EQ(table()->rowCount(), 3);
    EXPECT_EQ(cell(2, 1), QStringLiteral("ПЕТРОВ П.П."));
}

TEST_F(ServerWorkbench, MachineTypedIsAskedOfTheServer)
{
    nameServer(service("teacher"));
    sendLive(QStringLiteral("ИВАНОВ И.И."), QStringLiteral("Lab-PC-1"));
    sendLive(QStringLiteral("ПЕТРОВ П.П."), QStringLiteral("Lab-PC-2"));
    open();
    auto *machine = window->results()->findChild<QLineEdit *>(QStringLiteral("machineFilter"));
    ASSERT_TRUE(machine && machine->isVisible());
    QTest::keyClicks(machine, QStringLiteral("pc-2"));
    settle();
    ASSERT_EQ(table()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), QStringLiteral("ПЕТРОВ П.П."));
    InstallAccessibleWidgets();
    EXPECT_EQ(accessibletree::namelessControls(QAccessible::queryAccessibleInterface(window.get())), QStringList())
        << "a screen reader names the server's filters too";
}

TEST_F(ServerWorkbench, LoadActionStoresTheFolderFileOnce)
{
    nameServer(service("teacher"));
    writeRez({QStringLiteral("ИВАНОВ И.И."), QStringLiteral("O'NEIL")});
    sendLive(QStringLiteral("O'NEIL"), QStringLiteral("ПК-1"));
    open();
    ASSERT_EQ(table()->rowCount(), 1);
    ASSERT_TRUE(loadAction()->isEnabled());
    loadAction()->trigger();
    settle();
    EXPECT_TRUE(serverLine().contains(QStringLiteral("Загружено записей: 1, уже были на сервере: 1,")))
        << serverLine().toStdString();
    EXPECT_EQ(table()->rowCount(), 2);
    loadAction()->trigger();
    settle();
    EXPECT_TRUE(serverLine().contains(QStringLiteral("Загружено записей: 0, уже были на сервере: 2,")))
        << serverLine().toStdString();
    EXPECT_EQ(table()->rowCount(), 2);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
}

TEST_F(ServerWorkbench, ServerOutOfReachLeavesTheFilesShownAndSaysWhatToFix)
{
    const QString dead = m_database + QStringLiteral("_dead");
    pgtest::cluster().addService(dead, m_database, QStringLiteral("school_teacher"), pgtest::kTeacherPassword,
                                 pgtest::cluster().deadSocketDir());
    nameServer(dead);
    writeRez({QStringLiteral("ИВАНОВ И.И.")});
    open();
    EXPECT_FALSE(window->results()->showsServer());
    EXPECT_TRUE(serverLine().startsWith(QStringLiteral("Сервер школы недоступен.")));
    EXPECT_TRUE(serverLine().contains(dead)) << serverLine().toStdString();
    ASSERT_EQ(table()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), QStringLiteral("ИВАНОВ И.И."));
    EXPECT_EQ(table()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Файл"));
    loadAction()->trigger();
    settle();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(dead));
}

TEST_F(ServerWorkbench, FolderWithoutAServerKeepsTheFilesAndTheLoadOff)
{
    writeRez({QStringLiteral("ИВАНОВ И.И.")});
    open();
    EXPECT_FALSE(loadAction()->isEnabled());
    EXPECT_FALSE(window->results()->findChild<QLabel *>(QStringLiteral("serverLine"))->isVisible());
    EXPECT_EQ(table()->rowCount(), 1);
}

TEST_F(ServerWorkbench, StoppedServerIsSaidWithWhatToFixAndReadAgainByItselfWhenItIsBack)
{
    nameServer(service("teacher"));
    writeRez({QStringLiteral("ИВАНОВ И.И.")});
    sendLive(QStringLiteral("O'NEIL"), QStringLiteral("ПК-1"));
    open();
    ASSERT_TRUE(window->results()->showsServer()) << serverLine().toStdString();

    ASSERT_EQ(pgtest::cluster().stop(), QString());
    // Nobody asked for a reading: the tab notices by itself and shows the files meanwhile.
    settle([this] { return !window->results()->showsServer(); });
    EXPECT_TRUE(serverLine().startsWith(QStringLiteral("Сервер школы недоступен."))) << serverLine().toStdString();
    EXPECT_TRUE(serverLine().contains(QStringLiteral("проверьте, что он запущен"))) << serverLine().toStdString();
    EXPECT_TRUE(serverLine().contains(QStringLiteral("подключается к серверу снова сама"))) << serverLine().toStdString();
    ASSERT_EQ(table()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), QStringLiteral("ИВАНОВ И.И."));

    ASSERT_EQ(pgtest::cluster().start(), QString());
    settle([this] { return window->results()->showsServer(); });
    EXPECT_EQ(cell(0, 1), QStringLiteral("O'NEIL"));
    game = connect(service("game")); // the game's connection before the stop is gone too
    ASSERT_TRUE(game);
    // The server's announcements are heard again on the new connection.
    QSignalSpy refreshed(window->results(), &ResultsView::refreshed);
    sendLive(QStringLiteral("ПЕТРОВ П.П."), QStringLiteral("ПК-3"));
    ASSERT_TRUE(refreshed.wait(10000));
    EXPECT_EQ(table()->rowCount(), 2);
}
