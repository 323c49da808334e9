#include "serverlogin.h"

#include "prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kCaption = QStringLiteral("Подключиться к серверу класса");

bool isKey(const QByteArray &text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F]{32}$"));
    return hex.match(QString::fromLatin1(text)).hasMatch();
}

// A path as the teacher may type it in a terminal: "~/" is the home folder.
QString expandHome(const QString &path)
{
    if (path == QStringLiteral("~") || path.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

} // namespace

QString ServiceKeyFile()
{
    return QStringLiteral("/run/tallory-class/teacher.key");
}

std::optional<QUrl> ClassServerBase(const QString &typed)
{
    QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // "10.0.0.5:8080" as said aloud in a staff room: the scheme is understood.
    if (!text.contains(QStringLiteral("://")))
        text.prepend(QStringLiteral("http://"));
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QStringLiteral("http") || url.host().isEmpty() || url.hasQuery()
        || url.hasFragment() || !url.userInfo().isEmpty())
        return std::nullopt;
    // The teacher API lies at the root whatever page the teacher copied the address from.
    url.setPath(QStringLiteral("/"));
    return url;
}

TeacherKey ReadTeacherKey(const QString &typed)
{
    const QString text = typed.trimmed();
    if (isKey(text.toLatin1()) && !QFileInfo::exists(text))
        return {text.toLatin1().toLower(), {}};
    const bool looksLikePath = text.contains(QLatin1Char('/')) || text.startsWith(QLatin1Char('~'));
    if (text.isEmpty() || (!looksLikePath && !QFileInfo::exists(text))) {
        // Sent as typed: the server is the judge of a key, and says so by name.
        return {text.toUtf8(), {}};
    }
    QFile file(expandHome(text));
    if (!file.open(QIODevice::ReadOnly)) {
        return {{}, QStringLiteral("Файл ключа учителя «%1» не прочитан: %2. Ключ службы читают только она сама и "
                                   "администратор: попросите его у администратора и введите сам ключ.")
                        .arg(text, file.errorString())};
    }
    // The server writes the key and a line break; a file of anything else is not its key file.
    const QByteArray key = file.read(256).trimmed();
    if (!isKey(key))
        return {{}, QStringLiteral("В файле «%1» нет ключа учителя (32 шестнадцатеричные цифры).").arg(text)};
    return {key.toLower(), {}};
}

std::optional<ServerLogin> AskServerLogin(TeacherPrompts *prompts, QWidget *parent, QString &address, QString &keyText)
{
    const std::optional<QString> typed = prompts->askText(
        parent, kCaption, QStringLiteral("Адрес сервера класса, например http://10.0.0.5:8080/:"), address);
    if (!typed)
        return std::nullopt;
    address = typed->trimmed();
    const std::optional<QUrl> base = ClassServerBase(address);
    if (!base) {
        prompts->showError(parent, kCaption,
                           QStringLiteral("«%1» — не адрес сервера класса. Нужен адрес вида http://10.0.0.5:8080/ — "
                                          "тот, что сервер пишет первой строкой.").arg(address));
        return std::nullopt;
    }
    if (keyText.isEmpty() && QFileInfo::exists(ServiceKeyFile()))
        keyText = ServiceKeyFile();
    const std::optional<QString> keyTyped = prompts->askText(
        parent, kCaption,
        QStringLiteral("Ключ учителя (32 знака) или файл с ним, например %1:").arg(ServiceKeyFile()), keyText);
    if (!keyTyped)
        return std::nullopt;
    const TeacherKey key = ReadTeacherKey(*keyTyped);
    // A typed key is not offered again: it opens every game of the room to whoever sits here next.
    keyText = isKey(keyTyped->trimmed().toLatin1()) ? QString() : keyTyped->trimmed();
    if (!key.problem.isEmpty()) {
        prompts->showError(parent, kCaption, key.problem);
        return std::nullopt;
    }
    return ServerLogin{*base, key.key};
}
