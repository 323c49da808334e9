#include "classroom.h"
#include "classroomimpl.h"

#include "classlesson.h"
#include "classupkeep.h"
#include "cp1251.h"
#include "gamesettings.h"
#include "illustration.h"
#include "journalfiles.h"
#include "lessoncodes.h"
#include "randomsource.h"
#include "schoollink.h"
#include "serverconnection.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonArray>
#include <QRandomGenerator>

#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kGuardQuietMs = 30000;
/// A student's wait at a join for the school's word, as at the desktop's start.
constexpr int kGuardWaitMs = 2000;
/// How long the program's end waits for the outbox to reach the school's server.
constexpr int kSettleMs = 5000;
const QString kTwice = QStringLiteral("Нельзя дважды отвечать на вопросы теста!");

QString systemToken()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex());
}

/// Where a join comes from: the desktop game on a lab machine names itself, a browser does not.
void setFace(ClassGame &game, const QJsonObject &request)
{
    game.desktop = request.value(QStringLiteral("face")).toString() == u"desktop";
    game.machine = request.value(QStringLiteral("machine")).toString().trimmed();
}

} // namespace

QString ClassRoom::Impl::newToken() const
{
    QString token = options.newToken ? options.newToken() : systemToken();
    while (byToken.contains(token))
        token = systemToken();
    return token;
}


std::unique_ptr<ClassGame> ClassRoom::Impl::newGame()
{
    std::unique_ptr<RandomSource> random = options.newRandom
                                               ? options.newRandom()
                                               : std::make_unique<SeededRandom>(QRandomGenerator::system()->generate());
    JournalClock clock{wall, steady};
    auto journal = std::make_unique<GameJournal>(store, clock);
    if (school)
        school->serve(*journal);
    auto game = std::make_unique<ClassGame>(options.folder, std::move(random), std::move(journal));
    ClassGame *g = game.get();
    game->session().setRecordWriter([this, g](const QString &results, QByteArrayView lesson, QByteArrayView name,
                                              int level, GameEnding how) {
        return takeRecord(*g, results, lesson, name, level, how);
    });
    return game;
}

// The school's word as the desktop game takes it: nothing when the server could not be asked.
// The room's thread waits for it, and every student with it: a server that gave no word is not
// asked again for a while, and the joins meanwhile are let in unchecked, each noted as the
// desktop notes one, rather than each holding the whole room up for the guard's wait.
SchoolGuard ClassRoom::Impl::schoolGuard()
{
    if (!school)
        return {};
    return [this](const QString &lesson, const QString &name, bool countUnfinished) {
        if (now() < guardQuietUntil)
            return SchoolWord{std::nullopt, guardProblem};
        const SchoolAttempt asked = school->guard().ask(lesson, name, countUnfinished);
        if (!asked.verdict) {
            guardQuietUntil = now() + kGuardQuietMs;
            guardProblem = asked.problem;
            return SchoolWord{std::nullopt, asked.problem};
        }
        return SchoolWord{*asked.verdict == AttemptVerdict::Allowed, {}};
    };
}

ClassRoom::ClassRoom(ClassRoomOptions options)
    : d(std::make_unique<Impl>())
{
    d->options = std::move(options);
    if (!d->options.folder.endsWith(QLatin1Char('/')))
        d->options.folder += QLatin1Char('/');
    if (d->options.machine.isEmpty())
        d->options.machine = ThisMachineName();
    if (d->options.steadyMs) {
        d->steady = d->options.steadyMs;
    } else {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        d->steady = [timer] { return timer->elapsed(); };
    }
    OpenedLessons opened = OpenLessons(d->options.folder, d->options.lessons);
    d->problem = opened.problem;
    d->open = opened.open;
    d->openBytes = opened.codes;
    if (!d->problem.isEmpty())
        return;
    d->wall = d->options.wallMs ? d->options.wallMs : [] { return QDateTime::currentMSecsSinceEpoch(); };
    // One store rather than one per game: a connection and its page cache per student would cost
    // more memory than the student's whole game (how the room writes: classroomwrites.cpp).
    d->store = std::make_shared<JournalStore>(d->options.folder, d->options.machine, d->wall);
    d->upkeep = std::make_unique<ClassUpkeep>(d->store, d->now());
    const QString service = ReadGameSettings(d->options.folder).serverService;
    if (!service.isEmpty()) {
        // The room is started by the teacher or the administrator, never by a student: a service
        // file its starter names (PGSERVICEFILE) is theirs to name, as for the workbench; else
        // the machine's own.
        const QString serviceFile = !d->options.serviceFile.isEmpty()                ? d->options.serviceFile
                                    : qEnvironmentVariableIsSet("PGSERVICEFILE") ? QString()
                                                                                 : SystemServiceFile();
        // What an earlier run left in the outbox goes at once.
        d->school = std::make_unique<SchoolLink>(service, JournalFilePath(d->options.folder, d->options.machine),
                                                 kGuardWaitMs, serviceFile);
    }
    d->restoreKept();
}

// The games the last clean stop kept go on, under their tokens and ids, before any request.
void ClassRoom::Impl::restoreKept()
{
    keep = std::make_unique<ClassKeep>(options.folder, options.machine, [this](const QString &what) { report(what); });
    const auto kept = keep->take();
    if (!kept)
        return;
    auto restored = RestoreGames(*kept, wall(), now(), [this] { return newGame(); },
                                 [this](const QString &what) { report(what); });
    for (auto &g : restored) {
        if (g->token.isEmpty() || byToken.contains(g->token) || byId.contains(g->id))
            continue;
        byToken.insert(g->token, g.get());
        byId.insert(g->id, g.get());
        nextId = std::max<quint64>(nextId, g->id.mid(1).toULongLong());
        games.push_back(std::move(g));
    }
}

ClassRoom::~ClassRoom()
{
    shutdown();
}

QString ClassRoom::problem() const
{
    return d->problem;
}

QStringList ClassRoom::openLessons() const
{
    return d->open;
}

ClassReply ClassRoom::join(const QJsonObject &request, const QString &device)
{
    if (!d->problem.isEmpty() || d->closed)
        return {503, RoomError(d->closed ? QStringLiteral("Занятие закрыто.") : d->problem)};
    tick();
    d->requested();
    const QString typedLesson = request.value(QStringLiteral("lesson")).toString();
    const QString typedName = request.value(QStringLiteral("name")).toString();
    // 32 hex digits or nothing: anything else is not a key the page made.
    QString joinKey = request.value(QStringLiteral("join")).toString();
    if (joinKey.size() != 32 || QByteArray::fromHex(joinKey.toLatin1()).size() != 16)
        joinKey.clear();
    const auto lessonChecked = OpenLessonCode(typedLesson, d->options.folder, d->openBytes);
    if (const auto *refused = std::get_if<ClassReply>(&lessonChecked))
        return *refused;
    const QByteArray lesson = std::get<QByteArray>(lessonChecked);

    const qint64 now = d->now();
    // One name, one game: a second join while the first game goes on is refused, or takes the
    // game over where the teacher allowed it. Checked before the attempt rules, which would see
    // the game going on as an attempt of its own.
    if (const auto nameBytes = cp1251::encode(typedName)) {
        const QByteArray name = cp1251::upper(*nameBytes);
        for (const auto &g : d->games) {
            if (g->nameBytes != name || !g->lessonCodes.contains(lesson))
                continue;
            // A game walked away from leaves no record to refuse by: the room remembers it.
            if (g->left() || d->recordKept(*g))
                return {403, RoomError(kTwice)};
            if (!g->inProgress())
                continue;
            if (!joinKey.isEmpty() && joinKey == g->joinKey && g->device == device && !g->moveAllowed)
                return {200, {{QStringLiteral("token"), g->token}, {QStringLiteral("game"), g->view(now)}}};
            if (!g->moveAllowed)
                return {403, RoomError(kTwice)};
            d->byToken.remove(g->token);
            g->token = d->newToken();
            d->byToken.insert(g->token, g.get());
            g->device = device;
            setFace(*g, request);
            g->moveAllowed = false;
            g->hidden = false;
            g->lastSeen = now;
            // The old page's last request is the old token's: nothing of it may be replayed here.
            g->lastAction.reset();
            return {200, {{QStringLiteral("token"), g->token}, {QStringLiteral("game"), g->view(now)}}};
        }
    }

    std::unique_ptr<ClassGame> game = d->newGame();
    bool nameAsked = false;
    const Admission admission = game->session().admit(typedLesson, [&] {
        nameAsked = true;
        return typedName;
    }, d->schoolGuard());
    if (!admission.allowed()) {
        if (!nameAsked) // the lesson's bank is missing or cannot be read
            return {422, RoomError(QStringLiteral("Занятие «%1»: %2").arg(cp1251::decode(lesson), admission.refusal))};
        if (admission.refusal == kTwice)
            return {403, RoomError(admission.refusal)};
        return {admission.fileFailure ? 409 : 400, RoomError(admission.refusal)};
    }
    const GameState &state = game->session().state();
    game->lesson = cp1251::decode(state.LessonCode);
    game->name = cp1251::decode(state.PlayerName);
    game->nameBytes = state.PlayerName;
    game->lessonCodes = SameLessonCodes(d->options.folder, state.LessonCode);
    if (!game->lessonCodes.contains(lesson))
        game->lessonCodes.append(lesson);
    game->device = device;
    setFace(*game, request);
    game->joinKey = joinKey;
    game->token = d->newToken();
    game->id = QStringLiteral("g%1").arg(++d->nextId);
    const quint64 rowsBefore = d->rows();
    const auto failed = game->begin(admission.unchecked, now);
    d->wrote(*game, rowsBefore);
    if (failed)
        return *failed;
    ClassGame *g = game.get();
    d->byToken.insert(g->token, g);
    d->byId.insert(g->id, g);
    d->games.push_back(std::move(game));
    return {200, {{QStringLiteral("token"), g->token}, {QStringLiteral("game"), g->view(now)}}};
}

ClassReply ClassRoom::lesson(const QJsonObject &request) const
{
    if (!d->problem.isEmpty() || d->closed)
        return {503, RoomError(d->closed ? QStringLiteral("Занятие закрыто.") : d->problem)};
    return AskLesson(request.value(QStringLiteral("lesson")).toString(), d->options.folder, d->openBytes);
}

ClassReply ClassRoom::game(const QJsonObject &request)
{
    ClassGame *g = d->findGame(request);
    if (!g)
        return {404, RoomError(QStringLiteral("Игра не найдена. Откройте страницу заново."))};
    tick();
    d->requested();
    const qint64 now = d->now();
    g->lastSeen = now;
    return {200, {{QStringLiteral("game"), g->view(now)}}};
}

ClassReply ClassRoom::act(const QJsonObject &request)
{
    ClassGame *g = d->findGame(request);
    if (!g)
        return {404, RoomError(QStringLiteral("Игра не найдена. Откройте страницу заново."))};
    const QJsonValue stepValue = request.value(QStringLiteral("step"));
    const QJsonValue doValue = request.value(QStringLiteral("do"));
    if (!stepValue.isDouble() || !doValue.isString())
        return {400, RoomError(QStringLiteral("Запрос не разобран."))};
    tick();
    d->requested();
    const qint64 now = d->now();
    ClassAction action{doValue.toString(), 0, {}};
    if (action.kind == u"answer")
        action.button = request.value(QStringLiteral("button")).toInt();
    if (action.kind == u"dial")
        action.digits = request.value(QStringLiteral("digits")).toString();
    const double step = stepValue.toDouble();
    // The same request again (a lost answer, a double tap): the same answer, nothing done twice.
    if (step == g->step - 1 && g->lastAction && *g->lastAction == action) {
        g->lastSeen = now;
        return g->lastReply;
    }
    if (step != g->step) {
        g->lastSeen = now;
        return {409, {{QStringLiteral("error"), QStringLiteral("Этот шаг уже пройден.")},
                      {QStringLiteral("game"), g->view(now)}}};
    }
    const int before = g->step;
    const quint64 rowsBefore = d->rows();
    ClassReply reply = g->act(action, now);
    d->wrote(*g, rowsBefore);
    if (g->step != before) {
        g->lastAction = action;
        g->lastReply = reply;
    }
    return reply;
}

void ClassRoom::tick()
{
    const qint64 now = d->now();
    for (const auto &g : d->games) {
        const quint64 rowsBefore = d->rows();
        g->tick(now);
        d->wrote(*g, rowsBefore);
    }
    if (d->closed || !d->problem.isEmpty())
        return;
    d->upkeep->tick(now);
}

void ClassRoom::shutdown()
{
    if (d->closed)
        return;
    d->closed = true;
    // The games are kept for the next run on this folder; where they cannot be, each game in
    // progress is left as the desktop leaves it on quit.
    const bool kept = d->keep && d->keep->put(KeepGames(d->games, d->wall()));
    for (const auto &g : d->games) {
        if (!kept)
            g->leave();
    }
    // What the games wrote meanwhile is in the open batch, if any: written before the store
    // goes, and every record not yet told written is written now (writing one twice changes
    // nothing); the journal's last checkpoint below syncs the log.
    commitBatch();
    d->writeKeptRecords();
    // Every game's rows are written by now (the room writes as it goes): the journals let go of
    // the file, and what the outbox holds goes to the school's server while it answers.
    d->byToken.clear();
    d->byId.clear();
    d->games.clear();
    if (d->upkeep)
        d->upkeep->finish();
    d->upkeep.reset();
    d->store.reset();
    if (d->school)
        d->school->link().flush(kSettleMs);
    d->school.reset();
}
