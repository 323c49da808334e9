#pragma once
// What the teacher types to watch a class server the workbench did not start (the school's
// service): its address and the teacher's key, typed or read from the key file the server wrote.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

class QWidget;
class TeacherPrompts;

/// The key file the packaged service writes.
QString ServiceKeyFile();

/// The server's base address ("http://host:port/") from what the teacher typed: the scheme may be
/// left out; anything but plain HTTP to a host is nothing.
std::optional<QUrl> ClassServerBase(const QString &typed);

/// The teacher's key from what was typed: the key itself (32 hex digits) or the path of a file
/// holding it. problem: why there is none, in Russian, naming the file.
struct TeacherKey {
    QByteArray key;
    QString problem;
};
TeacherKey ReadTeacherKey(const QString &typed);

struct ServerLogin {
    QUrl base;
    QByteArray key;
};

/// Asks the address, then the key. Nothing when the teacher cancels or an answer is no good;
/// what is wrong has then been shown. address and keyText: what to offer, kept for the next time.
std::optional<ServerLogin> AskServerLogin(TeacherPrompts *prompts, QWidget *parent, QString &address, QString &keyText);
