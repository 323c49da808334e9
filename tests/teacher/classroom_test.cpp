// The tab «Класс по сети» driven as a teacher drives it, against the real tallory-class of the
// build on a copy of the demo folder; students join through Qt's own network client.

#include "analysisview.h"
#include "classroomtab.h"
#include "cp1251.h"
#include "results.h"
#include "roommodel.h"
#include "teachertest.h"
#include "teacherwindow.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString kClass = QStringLiteral(TALLORY_BIN_DIR "/tallory-class");

bool waitUntil(const std::function<bool()> &done, int ms = 20000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

struct Answer {
    int status = 0;
    QJsonObject json;
};

class ClassroomTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &name : {QStringLiteral("tallory.ini"), QStringLiteral("demo.faq")})
            ASSERT_TRUE(QFile::copy(QStringLiteral(TALLORY_BIN_DIR "/") + name, folder + name));
        qputenv("TALLORY_CLASS_OPTIONS", "--port 0 --address 127.0.0.1");
        network.setProxy(QNetworkProxy::NoProxy);
        window = std::make_unique<TeacherWindow>(folder, &prompts);
        window->show();
        tab = window->findChild<ClassroomTab *>();
        ASSERT_NE(tab, nullptr);
        tab->setProgram(kClass);
        window->tabs()->setCurrentWidget(tab);
    }

    void TearDown() override { qunsetenv("TALLORY_CLASS_OPTIONS"); }

    QPushButton *button(const QString &text) const
    {
        for (QPushButton *b : tab->findChildren<QPushButton *>()) {
            if (b->text() == text)
                return b;
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }
    void click(const QString &text) { QTest::mouseClick(button(text), Qt::LeftButton); }
    QString status() const { return tab->findChildren<QLabel *>().constFirst()->text(); }

    void startRoom()
    {
        click(QStringLiteral("Начать"));
        ASSERT_TRUE(waitUntil([this] { return !tab->address().isEmpty(); })) << status().toStdString();
    }

    Answer post(const QString &path, const QJsonObject &body)
    {
        QNetworkRequest request(QUrl(target.isEmpty() ? tab->address() : target).resolved(QUrl(path)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        std::unique_ptr<QNetworkReply> reply(network.post(request, QJsonDocument(body).toJson()));
        EXPECT_TRUE(waitUntil([&reply] { return reply->isFinished(); }));
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                QJsonDocument::fromJson(reply->readAll()).object()};
    }
    Answer join(const QString &name)
    {
        return post(QStringLiteral("/api/join"), {{"lesson", QStringLiteral("ДЕМО")}, {"name", name}});
    }

    int rowOf(const QString &name) const
    {
        for (int row = 0; row < tab->model()->rowCount(); ++row) {
            if (tab->model()->student(row).name == name)
                return row;
        }
        return -1;
    }
    QString shownState(const QString &name) const
    {
        const int row = rowOf(name);
        return row < 0 ? QString() : tab->model()->index(row, RoomModel::State).data().toString();
    }
    void select(const QString &name)
    {
        QTableView *table = tab->table();
        const QRect cell = table->visualRect(tab->model()->index(rowOf(name), RoomModel::Name));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
    /// Waits for the room to be read twice more: what the tab shows then is what the server says.
    void settle()
    {
        int reads = 0;
        const auto c = QObject::connect(tab->model(), &QAbstractItemModel::dataChanged, [&reads] { ++reads; });
        waitUntil([&reads] { return reads >= 4; });
        QObject::disconnect(c);
    }

    QString target; ///< where students join; the tab's room when empty
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    FakePrompts prompts;
    QNetworkAccessManager network;
    std::unique_ptr<TeacherWindow> window;
    ClassroomTab *tab = nullptr;
};

TEST_F(ClassroomTest, TeacherWatchesEndsAndMovesGamesThenStopsTheRoom)
{
    startRoom();
    EXPECT_TRUE(tab->address().startsWith(QStringLiteral("http://127.0.0.1:")));

    // What the projector shows is the address a phone's camera reads.
    QTemporaryDir shots;
    const QString png = shots.filePath(QStringLiteral("qr.png"));
    QLabel *qr = nullptr;
    for (QLabel *l : tab->findChildren<QLabel *>()) {
        if (l->accessibleName().startsWith(QStringLiteral("QR")))
            qr = l;
    }
    ASSERT_TRUE(qr->grab().save(png));
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), png});
    ASSERT_TRUE(zbar.waitForFinished(20000));
    EXPECT_EQ(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), tab->address());

    const QString ivanov = QStringLiteral("ИВАНОВ И.И."), petrov = QStringLiteral("ПЕТРОВ П.П.");
    const Answer first = join(QStringLiteral("иванов и.и."));
    ASSERT_EQ(first.status, 200);
    const Answer second = join(QStringLiteral("петров п.п."));
    ASSERT_EQ(second.status, 200);
    ASSERT_TRUE(waitUntil([&] { return rowOf(ivanov) >= 0 && rowOf(petrov) >= 0; }));
    EXPECT_EQ(shownState(ivanov), QStringLiteral("в игре"));
    EXPECT_EQ(shownState(petrov), QStringLiteral("в игре"));

    // Sidorov answers the first question, right or wrong; Petrov switches to another tab.
    const Answer third = join(QStringLiteral("сидоров с.с."));
    ASSERT_EQ(post(QStringLiteral("/api/act"), {{"token", third.json.value("token")}, {"do", "answer"}, {"button", 1},
                                                {"step", third.json.value("game")["step"]}}).status, 200);
    ASSERT_EQ(post(QStringLiteral("/api/act"), {{"token", second.json.value("token")}, {"do", "hidden"},
                                                {"step", second.json.value("game")["step"]}}).status, 200);
    ASSERT_TRUE(waitUntil([&] { return shownState(petrov) == QStringLiteral("ушёл со страницы"); }));
    EXPECT_EQ(tab->model()->index(rowOf(petrov), RoomModel::Leaves).data().toInt(), 1);
    EXPECT_EQ(tab->model()->index(rowOf(petrov), RoomModel::Level).data().toInt(),
              second.json.value("game")["level"].toInt());

    // The safe answer, the default, ends nothing; the selection outlives the refreshes.
    select(petrov);
    click(QStringLiteral("Завершить игру"));
    settle();
    EXPECT_EQ(shownState(petrov), QStringLiteral("ушёл со страницы"));
    ASSERT_EQ(tab->table()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(tab->table()->selectionModel()->selectedRows().constFirst().row(), rowOf(petrov));

    prompts.chooseAnswer = 1;
    click(QStringLiteral("Завершить игру"));
    ASSERT_TRUE(waitUntil([&] { return shownState(petrov).startsWith(QStringLiteral("закончил: ")); }))
        << shownState(petrov).toStdString();
    EXPECT_TRUE(AttemptRecorded(ResultsFilePath(folder), cp1251::text(u"ДЕМО"), cp1251::text(u"ПЕТРОВ П.П.")).value);
    EXPECT_EQ(shownState(ivanov), QStringLiteral("в игре"));

    // Ivanov's phone died: a second device is refused until the teacher allows the move.
    EXPECT_EQ(join(QStringLiteral("иванов и.и.")).status, 403);
    select(ivanov);
    click(QStringLiteral("Разрешить продолжить на другом устройстве"));
    ASSERT_TRUE(waitUntil([&] { return tab->model()->student(rowOf(ivanov)).moveAllowed; }));
    const Answer moved = join(QStringLiteral("иванов и.и."));
    ASSERT_EQ(moved.status, 200);
    EXPECT_NE(moved.json.value("token"), first.json.value("token"));
    EXPECT_EQ(post(QStringLiteral("/api/game"), {{"token", first.json.value("token")}}).status, 404);
    EXPECT_EQ(post(QStringLiteral("/api/game"), {{"token", moved.json.value("token")}}).status, 200);
    ASSERT_TRUE(waitUntil([&] { return !tab->model()->student(rowOf(ivanov)).moveAllowed; }));
    EXPECT_EQ(tab->model()->rowCount(), 3);

    click(QStringLiteral("Остановить"));
    ASSERT_TRUE(waitUntil([this] { return status() == QStringLiteral("Класс закрыт."); })) << status().toStdString();
    EXPECT_TRUE(button(QStringLiteral("Начать"))->isEnabled());

    // The class's answers are in the folder's journal, where the analysis reads them.
    auto *analysis = window->findChild<AnalysisView *>();
    analysis->refresh();
    EXPECT_TRUE(waitUntil([analysis] { return analysis->analysis().answers > 0; }));
}

TEST_F(ClassroomTest, ClosingTheWorkbenchAsksWhileStudentsPlayThenClosesTheRoom)
{
    startRoom();
    const QString address = tab->address();
    ASSERT_EQ(join(QStringLiteral("сидоров с.с.")).status, 200);
    ASSERT_TRUE(waitUntil([this] { return tab->model()->playing() == 1; }));

    EXPECT_FALSE(window->close()); // the default answer keeps the room
    EXPECT_EQ(tab->address(), address);
    prompts.chooseAnswer = 1;
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(tab->address().isEmpty());
    EXPECT_EQ(status(), QStringLiteral("Класс закрыт."));
}

TEST_F(ClassroomTest, ARefusalToStartShowsTheProgramsOwnWords)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    const QString port = QString::number(taken.serverPort());
    qputenv("TALLORY_CLASS_OPTIONS", QStringLiteral("--port %1 --address 127.0.0.1").arg(port).toUtf8());
    tab->setProgram(kClass);

    QProcess alone;
    alone.start(kClass, {QStringLiteral("--folder"), folder, QStringLiteral("--port"), port,
                         QStringLiteral("--address"), QStringLiteral("127.0.0.1")});
    ASSERT_TRUE(alone.waitForFinished(20000));
    const QString said = QString::fromUtf8(alone.readAllStandardError()).trimmed();
    ASSERT_EQ(alone.exitCode(), 2) << said.toStdString();

    click(QStringLiteral("Начать"));
    ASSERT_TRUE(waitUntil([&] { return status() == said; })) << status().toStdString();
    EXPECT_TRUE(tab->address().isEmpty());
}

// A class server the workbench did not start, as the school's service runs it: its own folder,
// its key written to a file.
class AttachTest : public ClassroomTest
{
protected:
    void SetUp() override
    {
        ClassroomTest::SetUp();
        for (const QString &name : {QStringLiteral("tallory.ini"), QStringLiteral("demo.faq")})
            ASSERT_TRUE(QFile::copy(QStringLiteral(TALLORY_BIN_DIR "/") + name, server.filePath(name)));
        keyFile = keys.filePath(QStringLiteral("teacher.key"));
        service.start(kClass, {QStringLiteral("--folder"), server.path(), QStringLiteral("--teacher-key-file"), keyFile,
                               QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--address"),
                               QStringLiteral("127.0.0.1")});
        ASSERT_TRUE(waitUntil([this] { return service.canReadLine() || service.state() == QProcess::NotRunning; }));
        const QString line = QString::fromUtf8(service.readLine()).trimmed();
        ASSERT_TRUE(line.startsWith(QStringLiteral("Адрес для учеников: "))) << line.toStdString();
        serverAddress = line.section(QLatin1Char(' '), -1);
        target = serverAddress;
    }
    void TearDown() override
    {
        service.terminate();
        service.waitForFinished(30000);
        ClassroomTest::TearDown();
    }

    /// «Подключиться к серверу класса…» with the address and the key (or its file) typed in.
    void attach(const QString &address, const QString &key)
    {
        prompts.texts = {address, key};
        const qsizetype shown = prompts.errors.size();
        click(QStringLiteral("Подключиться к серверу класса…"));
        ASSERT_TRUE(waitUntil([&] { return !tab->attachedServer().isEmpty() || prompts.errors.size() > shown; }));
    }
    QByteArray key() const
    {
        QFile file(keyFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    }
    QString shownDevice(const QString &name) const
    {
        return tab->model()->index(rowOf(name), RoomModel::Device).data().toString();
    }

    QTemporaryDir serverDir, keys;
    QDir server{serverDir.path()};
    QString keyFile, serverAddress;
    QProcess service;
};

// A wrong key, a silent address or an unreadable key file is said by name, and the tab stays as
// it was: no room watched, «Начать» still there.
TEST_F(AttachTest, AWrongKeyOrASilentAddressIsSaidAndChangesNothing)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString silent = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();
    QByteArray wrong = key();
    wrong[0] = wrong[0] == '0' ? '1' : '0';
    const QString missing = keys.filePath(QStringLiteral("none/teacher.key"));
    const QString before = status();
    struct Case {
        QString address, key, said;
    };
    const Case cases[] = {
        {silent, keyFile, QStringLiteral("Сервер класса %1 не отвечает").arg(silent)},
        {serverAddress, QString::fromLatin1(wrong), QStringLiteral("Сервер класса %1 не принял ключ учителя").arg(serverAddress)},
        {serverAddress, missing, QStringLiteral("Файл ключа учителя «%1» не прочитан").arg(missing)},
        {QStringLiteral("ftp://127.0.0.1/"), keyFile, QStringLiteral("«ftp://127.0.0.1/» — не адрес сервера класса")},
    };
    for (const Case &c : cases) {
        attach(c.address, c.key);
        ASSERT_FALSE(prompts.errors.isEmpty()) << c.said.toStdString();
        EXPECT_TRUE(prompts.errors.constLast().startsWith(c.said)) << prompts.errors.constLast().toStdString();
        EXPECT_TRUE(tab->attachedServer().isEmpty());
        EXPECT_TRUE(tab->address().isEmpty());
        EXPECT_TRUE(button(QStringLiteral("Начать"))->isEnabled());
        EXPECT_TRUE(button(QStringLiteral("Подключиться к серверу класса…"))->isEnabled());
        EXPECT_EQ(status(), before);
        EXPECT_EQ(tab->model()->rowCount(), 0);
    }
}

TEST_F(AttachTest, TheTeacherWatchesTheServiceByItsKeyFileAndLeavesItRunning)
{
    attach(serverAddress, keyFile);
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
    EXPECT_EQ(tab->address(), serverAddress);
    EXPECT_FALSE(button(QStringLiteral("Начать"))->isEnabled());

    const QString ivanov = QStringLiteral("ИВАНОВ И.И."), petrov = QStringLiteral("ПЕТРОВ П.П.");
    const Answer first = join(QStringLiteral("иванов и.и."));
    ASSERT_EQ(first.status, 200);
    // Petrov sits at a lab machine: the desktop game names it.
    ASSERT_EQ(post(QStringLiteral("/api/join"), {{"lesson", QStringLiteral("ДЕМО")}, {"name", QStringLiteral("петров п.п.")},
                                                 {"face", "desktop"}, {"machine", QStringLiteral("ПК-07")}}).status, 200);
    ASSERT_TRUE(waitUntil([&] { return rowOf(ivanov) >= 0 && rowOf(petrov) >= 0; }));
    EXPECT_EQ(shownDevice(ivanov), QStringLiteral("127.0.0.1 (браузер)"));
    EXPECT_EQ(shownDevice(petrov), QStringLiteral("ПК-07 (программа)"));

    prompts.chooseAnswer = 1;
    select(petrov);
    click(QStringLiteral("Завершить игру"));
    ASSERT_TRUE(waitUntil([&] { return shownState(petrov).startsWith(QStringLiteral("закончил: ")); }));
    // The record is the server's, in its own folder.
    EXPECT_TRUE(AttemptRecorded(ResultsFilePath(server.path() + QLatin1Char('/')), cp1251::text(u"ДЕМО"),
                                cp1251::text(u"ПЕТРОВ П.П.")).value);
    EXPECT_FALSE(QFile::exists(ResultsFilePath(folder)));
    select(ivanov);
    click(QStringLiteral("Разрешить продолжить на другом устройстве"));
    ASSERT_TRUE(waitUntil([&] { return tab->model()->student(rowOf(ivanov)).moveAllowed; }));

    click(QStringLiteral("Отключиться"));
    EXPECT_TRUE(tab->attachedServer().isEmpty());
    EXPECT_TRUE(tab->address().isEmpty());
    EXPECT_TRUE(button(QStringLiteral("Начать"))->isEnabled());
    // The service goes on: Ivanov carries on from his new device.
    ASSERT_EQ(join(QStringLiteral("иванов и.и.")).status, 200);
    EXPECT_EQ(service.state(), QProcess::Running);

    // The key typed as the administrator read it out; closing the workbench asks nothing and
    // leaves the service running.
    attach(serverAddress, QString::fromLatin1(key()));
    ASSERT_FALSE(tab->attachedServer().isEmpty()) << prompts.errors.join('\n').toStdString();
    const qsizetype asked = prompts.asked.size();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(prompts.asked.size(), asked);
    EXPECT_EQ(service.state(), QProcess::Running);
    EXPECT_EQ(join(QStringLiteral("сидоров с.с.")).status, 200);
}

// What the teacher reads in a row, from what the server reports.
TEST(RoomModel, ShowsEachStudentAsTheServerReportsIt)
{
    struct Case {
        const char *json;
        RoomModel::Column column;
        QString shown;
    };
    const Case cases[] = {
        {R"({"state":"в игре","grade":null})", RoomModel::State, QStringLiteral("в игре")},
        {R"({"state":"закончил","grade":4,"gradeText":"Хорошо"})", RoomModel::State, QStringLiteral("закончил: 4 (Хорошо)")},
        {R"({"state":"нет связи"})", RoomModel::State, QStringLiteral("нет связи")},
        {R"({"lifelines":{"fifty":true,"audience":false,"friend":true}})", RoomModel::Lifelines, QStringLiteral("50 х 50, друг")},
        {R"({"lifelines":{"fifty":false,"audience":false,"friend":false}})", RoomModel::Lifelines, QStringLiteral("—")},
        {R"({"name":"ИВАНОВ","moveAllowed":true})", RoomModel::Name, QStringLiteral("ИВАНОВ (может перейти на другое устройство)")},
        {R"({"leaves":3})", RoomModel::Leaves, QStringLiteral("3")},
        {R"({"device":"10.0.0.23","face":"browser","machine":null})", RoomModel::Device, QStringLiteral("10.0.0.23 (браузер)")},
        {R"({"device":"10.0.0.23"})", RoomModel::Device, QStringLiteral("10.0.0.23 (браузер)")},
        {R"({"device":"10.0.0.31","face":"desktop","machine":"ПК-07"})", RoomModel::Device, QStringLiteral("ПК-07 (программа)")},
        {R"({"device":"10.0.0.31","face":"desktop","machine":null})", RoomModel::Device, QStringLiteral("10.0.0.31 (программа)")},
    };
    for (const Case &c : cases) {
        RoomModel model;
        QJsonObject student = QJsonDocument::fromJson(c.json).object();
        student.insert(QStringLiteral("id"), QStringLiteral("a"));
        model.update(QJsonArray{student});
        EXPECT_EQ(model.index(0, c.column).data().toString(), c.shown) << c.json;
    }
}

// A refresh keeps each game's row where it was: a newcomer joins at the bottom, and a game the
// server no longer lists leaves without moving the others.
TEST(RoomModel, KeepsRowsInPlaceAcrossRefreshes)
{
    const auto room = [](const QStringList &ids) {
        QJsonArray students;
        for (const QString &id : ids)
            students.append(QJsonObject{{"id", id}, {"name", id.toUpper()}});
        return students;
    };
    RoomModel model;
    model.update(room({"a", "b"}));
    const QPersistentModelIndex b = model.index(1, 0);
    model.update(room({"c", "b", "a"}));
    EXPECT_EQ(b.row(), 1);
    EXPECT_EQ(model.index(2, RoomModel::Name).data().toString(), QStringLiteral("C"));
    model.update(room({"c", "b"}));
    EXPECT_EQ(b.row(), 0);
    EXPECT_EQ(model.rowCount(), 2);
}

} // namespace
