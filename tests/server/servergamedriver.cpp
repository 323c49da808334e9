// A lab machine without a window, for the test of many machines at once: plays games through the
// journal as the window would report them, every row also sent to the school's server, and ends
// once its outbox is empty. Arguments: SERVICE PROGRAM_FOLDER MACHINE GAMES. Exit code 0 when
// every row was sent.

#include "gamejournal.h"
#include "serverlink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

ShownQuestion question(int level)
{
    ShownQuestion q;
    q.level = level;
    q.line = "Вопрос " + QByteArray::number(level);
    q.question = q.line;
    for (int a = 1; a <= 4; ++a)
        q.answers[static_cast<size_t>(a)] = "Ответ " + QByteArray::number(a);
    q.order = "2143";
    return q;
}

void playGame(GameJournal &journal, const QString &bank, int n)
{
    journal.gameStarted({"ТЕСТ", "СТУДЕНТ " + QByteArray::number(n), bank, QString()});
    for (int level = 1; level <= 15; ++level) {
        journal.questionShown(question(level));
        journal.answered(2); // the button holding the bank's first answer: right
    }
    journal.gameEnded(GameEnding::Won, 16);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fputs("usage: server_game_driver SERVICE PROGRAM_FOLDER MACHINE GAMES\n", stderr);
        return 2;
    }
    const QString folder = args[2];
    QDir().mkpath(folder);
    const QString bank = folder + QStringLiteral("lesson.faq");
    QFile file(bank);
    file.open(QIODevice::WriteOnly);
    file.write("[1]\r\n");
    file.close();
    GameJournal journal(folder, args[3], JournalClock::system(), JournalSync::Normal);
    ServerLink link(args[1], journal.path());
    journal.keepOutbox([&link] { link.poke(); });
    for (int n = 0; n < args[4].toInt(); ++n)
        playGame(journal, bank, n);
    if (link.flush(120000))
        return 0;
    std::fprintf(stderr, "not sent: %s\n", qPrintable(link.lastProblem()));
    return 1;
}
