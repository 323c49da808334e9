// A game played in a process of its own, for what one test process cannot do to itself: be
// killed mid-game, run out of disk, or write one folder beside another machine.
//
// Usage: journal_child FOLDER MACHINE NAME SCRIPT [off]
// SCRIPT, one letter a step: r answers right, w wrong, s stops, f makes the disk full from now
// on for every write past 4 KB into a file (the journal's log is past that after one answer;
// the results file and the counters are far below it), F, first in the script, the same past
// 8 KB from before the game starts (too little to make a journal), h prints "ready" and waits for its input to close. "off" plays without a
// journal.
// At the end the timeline of what was seen and heard is printed, one event a line.

#include "fakes/fakeui.h"
#include "journalthread.h"
#include "gradbtn.h"
#include "randomsource.h"
#include "journalfiles.h"
#include "tform1.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

namespace {

int rightButton(TForm1 &form)
{
    const QString right = QStringLiteral(". Верно %1").arg(form.Game.CurrentLevel);
    for (int tag = 1; tag <= 4; ++tag) {
        if (form.FaqBtn[static_cast<size_t>(tag)]->Caption().endsWith(right))
            return tag;
    }
    return 1;
}

void limitFileSize(rlim_t bytes)
{
    // A write past the limit then fails as on a full disk, rather than ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

void step(TForm1 &form, char c)
{
    const int right = rightButton(form);
    switch (c) {
    case 'r': form.FaqBtn[static_cast<size_t>(right)]->Click(); break;
    case 'w': form.FaqBtn[static_cast<size_t>(right % 4 + 1)]->Click(); break;
    case 's': form.N6->trigger(); break;
    case 'f': limitFileSize(4096); break;
    case 'h':
        std::printf("ready\n");
        std::fflush(stdout);
        std::getchar();
        break;
    default: break;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    const QString machine = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    const QByteArray script = argv[4];
    const bool journalled = argc < 6 || qstrcmp(argv[5], "off") != 0;

    Timeline timeline;
    FakePacer pacer(timeline);
    FakeSound sound(timeline);
    FakeDialogs dialogs(timeline);
    FakeBanners banners(timeline);
    SeededRandom random(4242);
    JournalThread journal(folder, machine);
    FormServices s;
    s.pacer = &pacer;
    s.sound = &sound;
    s.dialogs = &dialogs;
    s.banners = &banners;
    s.random = &random;
    s.recorder = journalled ? &journal : nullptr;
    s.terminate = [] {};
    s.openLink = [](const QString &) {};
    s.programFolder = folder;
    s.screen = QSize(1024, 768);
    TForm1 form(s);
    if (script.startsWith('F'))
        limitFileSize(8192);
    dialogs.answer(QStringLiteral("ТЕСТ"));
    dialogs.answer(name);
    form.N2->trigger();
    for (const char c : script)
        step(form, c);
    for (const QString &event : timeline.events)
        std::printf("%s\n", event.toUtf8().constData());
    return 0;
}
