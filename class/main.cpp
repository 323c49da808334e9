// tallory-class: the lesson served on the room's network. Students open the printed address
// in a browser and play; the teacher watches the room through the teacher's API. It starts only
// when it can serve (the folder, its lessons, an address, the port), and stops on Ctrl+C or
// SIGTERM with every game kept for its next start on the folder (see classkeep.h).

#include "classaddress.h"
#include "classhttp.h"
#include "classlistener.h"
#include "classroom.h"
#include "journalfiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTemporaryFile>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Why the program will not start: a Russian line on stderr and exit code 2.
struct Refusal {
    QString why;
};

void say(FILE *stream, const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stream);
    std::fflush(stream);
}

// The folder must be there and writable: the results file and the journal are written in it.
QString checkedFolder(const QString &given)
{
    if (given.isEmpty())
        throw Refusal{QStringLiteral("Не указана папка программы: tallory-class --folder ПАПКА.")};
    const QFileInfo info(given);
    if (!info.exists())
        throw Refusal{QStringLiteral("Нет папки «%1».").arg(given)};
    if (!info.isDir())
        throw Refusal{QStringLiteral("«%1» не папка, а файл: укажите папку программы.").arg(given)};
    QTemporaryFile probe(QDir(given).filePath(QStringLiteral(".tallory-class-XXXXXX")));
    if (!probe.open())
        throw Refusal{QStringLiteral("В папку «%1» нельзя писать: в неё записываются результаты и журнал ответов.")
                          .arg(given)};
    QString folder = QDir(info.absoluteFilePath()).absolutePath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QHostAddress chosenAddress(const QString &given)
{
    if (!given.isEmpty()) {
        const QHostAddress address(given);
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            throw Refusal{QStringLiteral("«%1» не адрес IPv4.").arg(given)};
        return address;
    }
    const QHostAddress address = StudentAddress(MachineInterfaces());
    if (address.isNull())
        throw Refusal{QStringLiteral("Нет сетевого адреса: ни один сетевой интерфейс, кроме петлевого, "
                                     "не включён и не подключён к сети.")};
    return address;
}

quint16 chosenPort(const QString &given)
{
    bool ok = false;
    const uint port = given.toUInt(&ok);
    if (!ok || port > 65535)
        throw Refusal{QStringLiteral("«%1» не номер порта (0–65535).").arg(given)};
    return quint16(port);
}

// A fresh key of 128 bits as 32 hex digits, readable by its owner only.
QString writeTeacherKey(const QString &path)
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    const QString key = QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex();
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(key.toLatin1() + '\n') == key.size() + 1 && file.commit();
    if (!written)
        throw Refusal{QStringLiteral("Не удалось записать ключ учителя в «%1»: %2").arg(path, file.errorString())};
    return key;
}

// SIGINT and SIGTERM write a byte here; the event loop reads it and stops the server in order.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t sent = ::write(signalPipe[0], &byte, 1);
}

void catchStopSignals(QObject *context, const std::function<void()> &stop)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [notifier, stop] {
        notifier->setEnabled(false);
        stop();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

struct Options {
    QString folder;
    QStringList lessons;
    QString address;
    QString port;
    QString keyFile;
};

Options readOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Занятие «Таллори!» для учеников в браузере по сети класса."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption folder(QStringLiteral("folder"), QStringLiteral("Папка программы с tallory.ini."),
                                    QStringLiteral("ПАПКА"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Порт (по умолчанию 8080; 0 — любой свободный)."),
                                  QStringLiteral("ПОРТ"), QStringLiteral("8080"));
    const QCommandLineOption lesson(QStringLiteral("lesson"), QStringLiteral("Открыть только это занятие (можно несколько раз)."),
                                    QStringLiteral("КОД"));
    const QCommandLineOption address(QStringLiteral("address"), QStringLiteral("Слушать только этот адрес IPv4."),
                                     QStringLiteral("АДРЕС"));
    const QCommandLineOption key(QStringLiteral("teacher-key-file"), QStringLiteral("Записать ключ учителя в этот файл."),
                                 QStringLiteral("ФАЙЛ"));
    parser.addOptions({folder, port, lesson, address, key});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        throw Refusal{QStringLiteral("Лишние слова в команде: %1.").arg(parser.positionalArguments().join(QLatin1Char(' ')))};
    return {parser.value(folder), parser.values(lesson), parser.value(address), parser.value(port), parser.value(key)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tallory-class"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLORY_VERSION));
    try {
        const Options options = readOptions(app);
        const QString folder = checkedFolder(options.folder);
        const quint16 port = chosenPort(options.port);
        const QHostAddress shown = chosenAddress(options.address);
        ClassRoom room(ClassRoomOptions{folder, options.lessons, ThisMachineName()});
        if (const QString problem = room.problem(); !problem.isEmpty())
            throw Refusal{problem};
        auto *listener = new ClassListener(&app);
        const QHostAddress listened = options.address.isEmpty() ? QHostAddress(QHostAddress::AnyIPv4) : shown;
        if (!listener->listen(listened, port)) {
            throw Refusal{listener->serverError() == QAbstractSocket::AddressInUseError
                              ? QStringLiteral("Порт %1 занят другой программой: укажите другой, --port.").arg(port)
                              : QStringLiteral("Не удалось открыть порт %1: %2.").arg(port).arg(listener->errorString())};
        }
        const QString url = QStringLiteral("http://%1:%2/").arg(shown.toString()).arg(listener->serverPort());
        const QString key = options.keyFile.isEmpty() ? QString() : writeTeacherKey(options.keyFile);

        ClassHttp http(room, ClassHttpOptions{folder, key, url});
        http.serve(listener);
        catchStopSignals(&app, [&] {
            // No new requests, then every game kept for the next start.
            listener->close();
            http.finish();
            room.shutdown();
            app.quit();
        });
        say(stdout, QStringLiteral("Адрес для учеников: %1").arg(url));
        return app.exec();
    } catch (const Refusal &refusal) {
        say(stderr, QStringLiteral("tallory-class: %1").arg(refusal.why));
        return 2;
    }
}
