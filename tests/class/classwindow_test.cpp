// The desktop window as a face of the class server: the same seeded script played with the keys
// in file mode and against a real class server (the room and its HTTP layer on 127.0.0.1 and a
// free port, in this process) leaves the same tallory.rez and journal rows, the lab's folder
// untouched; a server stopped and started mid-game is waited for and the game goes on; a class
// server named by a blank or bad address starts nothing and never plays the folder's own lessons.

#include "lifelinesfixture.h"
#include "samegamescript.h"

#include "announcer.h"
#include "classsession.h"
#include "classhttp.h"
#include "classroom.h"
#include "gamejournal.h"
#include "journalfiles.h"
#include "programservices.h"
#include "telform.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpServer>
#include <QTest>

namespace {

using samegame::expectSameRecords;
using samegame::kScript;
using samegame::SharedRandom;

/// Every file under folder with its bytes: what a face wrote there shows as a difference.
QMap<QString, QByteArray> filesUnder(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, testutil::readBytes(path));
    }
    return files;
}

} // namespace

class ClassWindow : public LifelinesFixture
{
protected:
    void SetUp() override
    {
        LifelinesFixture::SetUp();
        dialogs.onModal = [](QDialog &d) {
            TTelform &call = lifelines::callWindow(d);
            QTest::keyClicks(&call, call.Label1->text().right(7));
            QTest::keyClick(&call, Qt::Key_Return);
        };
        // The room's folder: the fixture's settings and bank; the lab's: its clips and a
        // tallory.ini naming the class server, nothing more.
        roomFolder = roomDir.path() + QLatin1Char('/');
        labFolder = labDir.path() + QLatin1Char('/');
        for (const char *name : {"tallory.ini", "lesson.faq"})
            testutil::writeBytes(roomFolder + QLatin1String(name), testutil::readBytes(folder + QLatin1String(name)));
        for (const QString &clip : kClips) {
            testutil::writeBytes(roomFolder + QStringLiteral("wav/") + clip + QStringLiteral(".wav"), "RIFF");
            testutil::writeBytes(labFolder + QStringLiteral("wav/") + clip + QStringLiteral(".wav"), "RIFF");
        }
        // A clip left loose in the lab's folder, as file mode would tidy it into wav/.
        testutil::writeBytes(labFolder + QStringLiteral("zal.wav"), "RIFF");
    }
    void TearDown() override
    {
        form.reset();
        lab.reset();
        stopServing();
        journal.reset();
        LifelinesFixture::TearDown();
    }

    /// The room and its HTTP layer on 127.0.0.1: on a free port the first time, on the same one
    /// after a stop, as the program started again.
    void serve()
    {
        ClassRoomOptions options;
        options.folder = roomFolder;
        options.machine = QStringLiteral("ПК-2");
        options.steadyMs = [] { return qint64(1000); };
        options.newRandom = [this] { return std::make_unique<SharedRandom>(roomRandom); };
        room = std::make_unique<ClassRoom>(options);
        ASSERT_EQ(room->problem(), QString());
        auto *listening = new QTcpServer;
        ASSERT_TRUE(listening->listen(QHostAddress::LocalHost, port)) << listening->errorString().toStdString();
        port = listening->serverPort();
        url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        // The students' budgets count by a clock that moves a second a request: a window plays
        // faster than any student, and its requests are not what is tested here.
        http = std::make_unique<ClassHttp>(*room, ClassHttpOptions{roomFolder, {}, url, [this] { return clockMs += 1000; }});
        http->serve(listening);
    }
    /// The program's clean stop: no more listening, the games left as its stop leaves them.
    void stopServing()
    {
        http.reset();
        if (room)
            room->shutdown();
        room.reset();
    }

    /// A lab machine's window: its rules as the program makes them for labFolder (and the
    /// command line's --class), every other service the fixture's fake.
    TForm1 &startLab(const std::optional<QString> &classOption = std::nullopt)
    {
        lab = std::make_unique<ProgramServices>(labFolder, QSize(1024, 768), QString(), SystemServiceFile(), classOption);
        const FormServices made = lab->services();
        FormServices s = services(watching);
        s.programFolder = labFolder;
        s.recorder = made.recorder;
        s.askSchool = made.askSchool;
        s.classRules = made.classRules;
        s.classProblem = made.classProblem;
        form = std::make_unique<TForm1>(s);
        form->show();
        QApplication::setActiveWindow(form.get());
        return *form;
    }
    void nameServer(const QString &address)
    {
        testutil::writeBytes(labFolder + QStringLiteral("tallory.ini"),
                             *cp1251::encode(QStringLiteral("[класс]\r\nАдрес=") + address + QStringLiteral("\r\n")));
    }

    QTemporaryDir roomDir;
    QTemporaryDir labDir;
    QTemporaryDir roomHome;
    QString roomFolder;
    QString labFolder;
    SeededRandom roomRandom{12345};
    std::unique_ptr<ClassRoom> room;
    std::unique_ptr<ClassHttp> http;
    quint16 port = 0;
    QString url;
    qint64 clockMs = 0;
    std::unique_ptr<ProgramServices> lab;
    std::unique_ptr<GameJournal> journal;
};

TEST_F(ClassWindow, AWholeGameOnTheClassServerRecordsWhatFileModeRecordsAndWritesNothingInTheLab)
{
    // File mode, with the fixture's bank and a journal of its own.
    journal = std::make_unique<GameJournal>(folder, QStringLiteral("ПК-1"), JournalClock::system(), JournalSync::Normal);
    FormServices local = services(watching);
    local.recorder = journal.get();
    form = std::make_unique<TForm1>(local);
    form->show();
    QApplication::setActiveWindow(form.get());
    for (const QString &step : kScript)
        playByKeys(step);
    form.reset();
    journal.reset();
    const QStringList fileTimeline = timeline.events;
    timeline.events.clear();

    // The same script on a lab machine, from a fresh counters store for the server.
    qputenv("XDG_CONFIG_HOME", roomHome.filePath(QStringLiteral("cfg")).toUtf8());
    serve();
    nameServer(url);
    const QMap<QString, QByteArray> labBefore = filesUnder(labFolder);
    startLab();
    for (const QString &step : kScript)
        playByKeys(step);
    form.reset();
    stopServing();

    EXPECT_EQ(filesUnder(labFolder), labBefore) << "the lab machine wrote in its folder";
    expectSameRecords(folder, roomFolder);
    // The window showed and played the same: banners, clips, pauses, boxes.
    EXPECT_EQ(timeline.events, fileTimeline);
}

TEST_F(ClassWindow, AServerStoppedAndStartedMidGameIsWaitedForAndTheGameGoesOn)
{
    serve();
    nameServer(url);
    TForm1 &f = startLab();
    QStringList waited;
    QObject::connect(f.findChild<Announcer *>(), &Announcer::announced, [&](const QString &text) {
        if (!text.startsWith(QStringLiteral("Нет связи")))
            return;
        waited << text << (f.WaitingLine->isVisible() ? f.WaitingLine->text() : QStringLiteral("<no line>"));
        // The program is started again while the window waits.
        if (!room)
            serve();
    });
    playByKeys(QStringLiteral("new Первый"));
    playByKeys(QStringLiteral("right"));
    playByKeys(QStringLiteral("right"));
    ASSERT_EQ(f.Game.CurrentLevel, 3);

    stopServing();
    // Should the window never say it waits, the program is started again all the same, and the
    // test fails on what was said rather than waiting for ever.
    QTimer::singleShot(3000, [&] {
        if (!room)
            serve();
    });
    playByKeys(QStringLiteral("right"));

    const QString line = QStringLiteral("Нет связи с сервером класса, ждём…");
    EXPECT_EQ(waited, (QStringList{line, line}));
    EXPECT_FALSE(f.WaitingLine->isVisible());
    EXPECT_EQ(f.Game.CurrentLevel, 4);
    playByKeys(QStringLiteral("right"));
    playByKeys(QStringLiteral("stop"));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Оценка: ") + cp1251::decode(GradeWord(5)));
    EXPECT_FALSE(QFileInfo::exists(ResultsFilePath(labFolder)));
    EXPECT_FALSE(testutil::readBytes(ResultsFilePath(roomFolder)).isEmpty());
}

TEST_F(ClassWindow, AClassServerThatCannotBeAskedStartsNothingAndNeverPlaysTheFoldersOwnLessons)
{
    struct Case {
        const char16_t *settings;
        std::optional<QString> option;
        const char16_t *said;
    };
    const Case cases[] = {
        {u"[класс]\r\nАдрес=\r\n", std::nullopt, u"адрес пуст (tallory.ini, [класс] Адрес=)"},
        {u"[класс]\r\nАдрес=ftp://10.0.0.5/\r\n", std::nullopt, u"«ftp://10.0.0.5/» (tallory.ini, [класс] Адрес=) не понят"},
        {u"", QStringLiteral("http://"), u"«http://» (--class) не понят"},
        {u"", QString(), u"адрес пуст (--class)"},
    };
    for (const Case &c : cases) {
        // The lab's folder has a lesson and its bank: what a fallback would play.
        testutil::writeBytes(labFolder + QStringLiteral("tallory.ini"),
                             *cp1251::encode(QStringLiteral("[ТЕСТ]\r\nВопросник=lesson.faq\r\n") + QString::fromUtf16(c.settings)));
        testutil::writeBytes(labFolder + QStringLiteral("lesson.faq"), testutil::readBytes(folder + QStringLiteral("lesson.faq")));
        const QMap<QString, QByteArray> before = filesUnder(labFolder);
        timeline.events.clear();
        TForm1 &f = startLab(c.option);
        dialogs.answer(QStringLiteral("тест"));
        dialogs.answer(QStringLiteral("Первый"));
        QTest::keyClick(&f, Qt::Key_F2);
        const QStringList errors = timeline.events.filter(QStringLiteral("error: "));
        ASSERT_EQ(errors.size(), 1) << timeline.events.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(errors[0].contains(QString::fromUtf16(c.said))) << errors[0].toStdString();
        EXPECT_TRUE(timeline.events.filter(QStringLiteral("input ")).isEmpty()) << "a lesson was asked for";
        EXPECT_EQ(f.Game.CurrentLevel, 0);
        form.reset();
        lab.reset();
        EXPECT_EQ(filesUnder(labFolder), before) << "the lab machine wrote in its folder";
    }
}

TEST_F(ClassWindow, AGameTheTeacherEndedIsLeftWithTheReasonAtTheStudentsNextStep)
{
    serve();
    nameServer(url);
    TForm1 &f = startLab();
    const QStringList steps = {QStringLiteral("right"), QStringLiteral("fifty"), QStringLiteral("audience"),
                               QStringLiteral("friend"), QStringLiteral("stop")};
    for (const QString &step : steps) {
        const QString name = QStringLiteral("Ученик ") + step;
        playByKeys(QStringLiteral("new ") + name);
        playByKeys(QStringLiteral("right"));
        ASSERT_EQ(f.Game.CurrentLevel, 2) << step.toStdString();
        const QJsonArray students = room->room().value(QStringLiteral("students")).toArray();
        QString id;
        for (const QJsonValue &s : students)
            if (s.toObject().value(QStringLiteral("name")).toString() == name.toUpper())
                id = s.toObject().value(QStringLiteral("id")).toString();
        ASSERT_EQ(room->endGame({{QStringLiteral("id"), id}}).status, 200);
        timeline.events.clear();

        playByKeys(step);

        // Nothing is judged, blanked, polled, called or graded after the end: the reason, the idle screen.
        const QStringList shown = timeline.events.filter(QRegularExpression(QStringLiteral("^(banner|chart|modal|error)")));
        ASSERT_EQ(shown.size(), 1) << step.toStdString() << ": " << timeline.events.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(shown[0].startsWith(QStringLiteral("error: Игру завершил учитель."))) << shown[0].toStdString();
        EXPECT_EQ(f.Game.CurrentLevel, 0) << step.toStdString();
        EXPECT_FALSE(f.Panel3->isVisible()) << step.toStdString();
        EXPECT_FALSE(f.N6->isEnabled()) << step.toStdString();
    }
}

TEST_F(ClassWindow, AGameTheTeacherEndedWhileTheStudentThinksIsLeftByTheHeartbeat)
{
    serve();
    nameServer(url);
    // The program's rules, with a heartbeat of 50 ms rather than 5 s.
    lab = std::make_unique<ProgramServices>(labFolder, QSize(1024, 768));
    FormServices s = services(watching);
    s.programFolder = labFolder;
    s.classRules = [this](const RulesHooks &hooks) -> std::unique_ptr<GameRules> {
        ClassSessionOptions options;
        options.server = QUrl(url);
        options.programFolder = labFolder;
        options.heartbeatMs = 50;
        auto rules = std::make_unique<ClassSession>(options);
        rules->onWaiting = hooks.waiting;
        rules->onGone = hooks.gone;
        return rules;
    };
    form = std::make_unique<TForm1>(s);
    TForm1 &f = *form;
    playByKeys(QStringLiteral("new Первый"));
    playByKeys(QStringLiteral("right"));
    const QString id = room->room().value(QStringLiteral("students")).toArray().first().toObject().value(QStringLiteral("id")).toString();
    ASSERT_EQ(room->endGame({{QStringLiteral("id"), id}}).status, 200);
    timeline.events.clear();

    // Nothing is pressed: the window learns of the end from the server between its calls.
    const QDeadlineTimer deadline(5000);
    while (f.Game.CurrentLevel != 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(f.Game.CurrentLevel, 0);
    const QStringList errors = timeline.events.filter(QStringLiteral("error: "));
    ASSERT_EQ(errors.size(), 1) << timeline.events.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("error: Игру завершил учитель."))) << errors[0].toStdString();
    EXPECT_FALSE(f.Panel3->isVisible());
}
