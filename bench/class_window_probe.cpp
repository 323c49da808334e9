// One lab machine of bench_class: the game's own window in class mode, played as a student
// plays it with the keys, in a process of its own. The window's rules call the class server
// and wait for the answer in a local event loop, so windows cannot share one GUI thread: the
// bench starts one probe per window.
//
// The window is the program's: its services are ProgramServices' for a class server named as
// --class names it; only the boxes (the lesson code and a name of the window's own), the host's
// pauses and the sound are the bench's: a lab machine's boxes would wait for a student, and its
// pauses and clips are the page's designed time, not the server's.
//
// Usage: class_window_probe URL LAB-FOLDER NUMBER
// It prints "ready" once the window is shown, then waits for "go DEADLINE" on stdin (DEADLINE:
// ms since the epoch) and plays whole games until then: a key every 0.5-2.5 s, an answer drawn
// at random, a lifeline or a stop now and then, a new game under a new name when one ends.
// At its end it prints one figure a line:
//   answer MS      an answer's time from its key to the verdict's arrival, for each answer
//   games N        games started
//   lifelines N    lifelines asked for
//   rss KB         this process's resident memory at the end of play
//   error TEXT     anything the window said went wrong (a box, a refusal, a wait for the server)
// and exits 0, or 1 with a line on stderr when it could not play at all.

#include "clickrecorder.h"

#include "benchcommon.h"
#include "classprogram.h"
#include "classsession.h"
#include "gradbtn.h"
#include "programservices.h"
#include "scripteddialogs.h"
#include "telform.h"
#include "tform1.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <optional>

#include <unistd.h>

namespace {

/// The lesson the room's students join.
const QString kLesson = QStringLiteral("ДЕМО");

/// The boxes a student answers: the lesson code and the name from a queue; a call to a friend
/// dialled with the keys and hung up with Enter; every error box noted, as nobody reads it.
class LabDialogs final : public ScriptedDialogs
{
public:
    QStringList errors;

    void showError(const QString &message) override { errors << QStringLiteral("box: ") + message.simplified(); }
    void showModal(QDialog &d) override
    {
        // The only modal window of a game is the call: the number the prompt ends with, then
        // Enter to hang up once the friend has spoken.
        auto *call = qobject_cast<TTelform *>(&d);
        if (!call)
            return;
        call->show();
        QTest::keyClicks(call, call->Label1->text().right(7));
        QTest::keyClick(call, Qt::Key_Return);
        if (call->isVisible()) {
            errors << QStringLiteral("the call window stayed open");
            call->close();
        }
    }
};

class Player
{
public:
    Player(TForm1 &form, LabDialogs &dialogs, int number)
        : m_form(form), m_dialogs(dialogs), m_number(number), m_random(static_cast<quint32>(number) * 104729U + 7U)
    {
    }

    /// Every answer's body as the window's rules receive it: the first after an answer's key
    /// is its verdict (the heartbeat is cancelled while a call runs, and none is sent then).
    void received(const QByteArray &body)
    {
        const QJsonObject answer = QJsonDocument::fromJson(body).object();
        if (answer.contains(QStringLiteral("error"))) {
            errors << QStringLiteral("server: ") + answer.value(QStringLiteral("error")).toString().simplified();
            // Said at once as well: a window the refusal brings down leaves its figures unprinted.
            std::fprintf(stderr, "class_window_probe %d: the server said %s\n", m_number, body.constData());
        }
        if (!m_answering)
            return;
        // A refusal or "too many" is not the verdict: the line sends the answer again.
        if (answer.contains(QStringLiteral("error")))
            return;
        answerMs.push_back(static_cast<double>(m_answerClock.nsecsElapsed()) / 1e6);
        m_answering = false;
    }
    void waited(const QString &text)
    {
        if (!text.isEmpty())
            errors << QStringLiteral("waited: ") + text;
    }

    void play(qint64 deadline)
    {
        m_deadline = deadline;
        next();
    }

    std::vector<double> answerMs;
    QStringList errors;
    int games = 0;
    int lifelines = 0;

private:
    void next()
    {
        QTimer::singleShot(500 + static_cast<int>(m_random.bounded(2000U)), [this] { act(); });
    }

    void act()
    {
        // The window manager hands the keyboard back to the game as the call window goes; the
        // menu's keys (F2 to F6) are the active window's.
        if (QApplication::activeWindow() != &m_form)
            QApplication::setActiveWindow(&m_form);
        // The game on screen ended (a wrong answer, a stop, the win, the teacher): a new one,
        // unless the time is up.
        if (m_inGame && m_form.Game.CurrentLevel < 1)
            m_inGame = false;
        if (!m_inGame) {
            if (QDateTime::currentMSecsSinceEpoch() >= m_deadline) {
                QCoreApplication::exit(0);
                return;
            }
            newGame();
            next();
            return;
        }
        const quint32 roll = m_random.bounded(100U);
        if (roll < 20 && !m_unused.isEmpty()) {
            const Qt::Key key = m_unused.takeAt(static_cast<int>(m_random.bounded(static_cast<quint32>(m_unused.size()))));
            ++lifelines;
            QTest::keyClick(&m_form, key);
        } else if (roll < 26 && m_form.N6->isEnabled()) {
            QTest::keyClick(&m_form, Qt::Key_F6);
        } else {
            answer();
        }
        next();
    }

    void newGame()
    {
        // A name of this window's own for every game: the results file keys a record by the sum
        // of the name's letter codes, and the browsers' names sum to less.
        m_dialogs.answers = {kLesson, classtest::studentName(QStringLiteral("ОКНО"), 3000 + m_number * 100 + games)};
        const qsizetype before = m_dialogs.errors.size();
        QTest::keyClick(&m_form, Qt::Key_F2);
        ++games;
        m_inGame = m_form.Game.CurrentLevel == 1;
        if (!m_inGame && m_dialogs.errors.size() == before)
            errors << QStringLiteral("the game did not start (F2, level %1)").arg(m_form.Game.CurrentLevel);
        m_unused = {Qt::Key_F3, Qt::Key_F4, Qt::Key_F5};
    }

    void answer()
    {
        // A key of an answer still shown: fifty-fifty takes two away, and their keys choose nothing.
        QList<int> shown;
        for (int tag = 1; tag <= 4; ++tag)
            if (!m_form.FaqBtn[static_cast<size_t>(tag)]->Caption().isEmpty())
                shown << tag;
        if (shown.isEmpty()) {
            errors << QStringLiteral("no answer on the screen at level %1").arg(m_form.Game.CurrentLevel);
            m_inGame = false;
            return;
        }
        const int tag = shown[static_cast<int>(m_random.bounded(static_cast<quint32>(shown.size())))];
        m_answering = true;
        m_answerClock.start();
        // The whole sequence runs in the key's handler: the call, the verdict, the host's
        // (instant) pauses, the next question or the end.
        QTest::keyClick(&m_form, static_cast<char>('0' + tag));
        if (m_answering)
            errors << QStringLiteral("the key %1 was not judged").arg(tag);
        m_answering = false;
    }

    TForm1 &m_form;
    LabDialogs &m_dialogs;
    int m_number;
    QRandomGenerator m_random;
    qint64 m_deadline = 0;
    bool m_inGame = false;
    QList<Qt::Key> m_unused;
    bool m_answering = false;
    QElapsedTimer m_answerClock;
};

int fail(const QString &why)
{
    std::fprintf(stderr, "class_window_probe: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 4)
        return fail(QStringLiteral("usage: class_window_probe URL LAB-FOLDER NUMBER"));
    PrepareApplication(QStringLiteral("probe"));
    SetAudienceChartModule(QStringLiteral(TALLORY_BIN_DIR "/tallory_chart"));
    const QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + QLatin1Char('/');
    const int number = QByteArray(argv[3]).toInt();

    // The program's services for a class server named on the command line.
    ProgramServices program(folder, QSize(1024, 768), QString(), SystemServiceFile(), QString::fromLocal8Bit(argv[1]));
    FormServices services = program.services();
    if (!services.classRules)
        return fail(QStringLiteral("not in class mode: %1").arg(services.classProblem));
    InstantPacer pacer;
    SilentSound sound;
    LabDialogs dialogs;
    services.pacer = &pacer;
    services.sound = &sound;
    services.dialogs = &dialogs;
    QString ended;
    services.terminate = [&ended] {
        ended = QStringLiteral("the window ended the program");
        QCoreApplication::exit(0);
    };
    Player *player = nullptr;
    bool classSession = false;
    // The window makes its rules as it starts: the program's, with the bench listening in.
    services.classRules = [&, made = services.classRules](const RulesHooks &hooks) {
        RulesHooks heard = hooks;
        heard.waiting = [&player, hooks](const QString &text) {
            if (player)
                player->waited(text);
            hooks.waiting(text);
        };
        std::unique_ptr<GameRules> rules = made(heard);
        if (auto *session = dynamic_cast<ClassSession *>(rules.get())) {
            classSession = true;
            session->onReceived = [&player](const QByteArray &body) {
                if (player)
                    player->received(body);
            };
        }
        return rules;
    };
    TForm1 form(services);
    if (!classSession)
        return fail(QStringLiteral("the window's rules are not the class server's"));
    form.showFullScreen();
    QApplication::setActiveWindow(&form);
    Player playing(form, dialogs, number);
    player = &playing;

    std::printf("ready\n");
    std::fflush(stdout);
    // "go DEADLINE" on stdin starts the play; the bench sends it once every window is ready.
    QByteArray said;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            if (!said.startsWith("go "))
                QCoreApplication::exit(2);
            return;
        }
        said.append(buffer, got);
        if (said.startsWith("go ") && said.contains('\n')) {
            input.setEnabled(false);
            playing.play(said.mid(3, said.indexOf('\n') - 3).trimmed().toLongLong());
        }
    });
    const int exited = QApplication::exec();
    if (exited == 2)
        return fail(QStringLiteral("no \"go DEADLINE\" came on stdin"));
    const long rss = bench::rssKb(QCoreApplication::applicationPid());

    for (double ms : playing.answerMs)
        std::printf("answer %.3f\n", ms);
    std::printf("games %d\nlifelines %d\nrss %ld\n", playing.games, playing.lifelines, rss);
    QStringList errors = dialogs.errors + playing.errors;
    if (!ended.isEmpty())
        errors << ended;
    for (const QString &e : errors)
        std::printf("error %s\n", qPrintable(e));
    std::fflush(stdout);
    if (playing.answerMs.empty())
        return fail(QStringLiteral("no answer was judged in %1 games").arg(playing.games));
    return 0;
}
