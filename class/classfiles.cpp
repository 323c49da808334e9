#include "classfiles.h"

#include "cp1251.h"
#include "files.h"
#include "gamesettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStringList>

namespace {

const QStringList &clipNames()
{
    static const QStringList names = {
        QStringLiteral("begin"),  QStringLiteral("gong"),   QStringLiteral("fon1"),     QStringLiteral("fon2"),
        QStringLiteral("fon3"),   QStringLiteral("btnclick"), QStringLiteral("pause"),  QStringLiteral("summa"),
        QStringLiteral("change"), QStringLiteral("appl"),   QStringLiteral("yes"),      QStringLiteral("ugadal"),
        QStringLiteral("winner"), QStringLiteral("million"), QStringLiteral("false"),   QStringLiteral("final"),
        QStringLiteral("50x50"),  QStringLiteral("zal"),    QStringLiteral("ringon"),   QStringLiteral("ringoff")};
    return names;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The clip in one program folder's sound folders ("wav", "WAV", ...), or empty.
QString clipIn(const QString &folder, const QString &file)
{
    const QStringList folders = SoundFolders(folder);
    for (const QString &sounds : folders) {
        const QString path = FindNoCase(sounds + QLatin1Char('/'), file);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

// "name" or "name.<suffix>" without the suffix; empty when another suffix is given.
QString baseName(const QString &fileName, const QString &suffix)
{
    if (fileName.endsWith(suffix, Qt::CaseInsensitive))
        return fileName.chopped(suffix.size());
    return fileName.contains(QLatin1Char('.')) ? QString() : fileName;
}

ServedFile pictureAt(const QString &path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchContent);
    if (!type.name().startsWith(QLatin1String("image/")))
        return {};
    const QByteArray bytes = readAll(path);
    return bytes.isEmpty() ? ServedFile{} : ServedFile{type.name().toLatin1(), bytes};
}

} // namespace

ServedFile ClipFile(const QString &folder, const QString &fileName)
{
    if (!fileName.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive))
        return {};
    const QString name = fileName.chopped(4).toLower();
    if (!clipNames().contains(name))
        return {};
    // Clip by clip, as the desktop game plays them: the folder's own, else the installed one
    // (beside the program in the build's folder, in share/tallory once installed).
    const QString file = name + QStringLiteral(".wav");
    for (const QString &folder : {folder, ProgramFolder(), ProgramFolder() + QStringLiteral("../share/tallory/")}) {
        const QString path = clipIn(folder, file);
        if (!path.isEmpty())
            return {QByteArrayLiteral("audio/wav"), readAll(path)};
    }
    return {};
}

ServedFile PictureFile(const QString &folder, const QString &fileName)
{
    static const QStringList builtin = [] {
        QStringList names = {QStringLiteral("vedok"), QStringLiteral("ways"), QStringLiteral("game")};
        for (int n = 1; n <= 14; ++n)
            names.append(QStringLiteral("dr%1").arg(n));
        return names;
    }();
    const QString name = baseName(fileName, QStringLiteral(".png")).toLower();
    if (!builtin.contains(name))
        return {};
    if (name == QLatin1String("vedok")) {
        // The teacher's own presenter, as the desktop game shows it; one that cannot be read is
        // passed over like a missing one.
        const QByteArray host = ReadGameSettings(folder).host;
        if (!host.isEmpty()) {
            const QString photos = FindNoCase(folder, QStringLiteral("FOTO")) + QLatin1Char('/');
            const ServedFile own = pictureAt(FindNoCase(photos, cp1251::decode(host)));
            if (!own.type.isEmpty())
                return own;
        }
    }
    return {QByteArrayLiteral("image/png"), readAll(QStringLiteral(":/img/%1.png").arg(name))};
}

ServedFile WebFile(const QString &fileName)
{
    static const QHash<QString, QByteArray> types = {
        {QStringLiteral("html"), QByteArrayLiteral("text/html; charset=utf-8")},
        {QStringLiteral("css"), QByteArrayLiteral("text/css; charset=utf-8")},
        {QStringLiteral("js"), QByteArrayLiteral("text/javascript; charset=utf-8")},
        {QStringLiteral("png"), QByteArrayLiteral("image/png")},
        {QStringLiteral("svg"), QByteArrayLiteral("image/svg+xml")},
        {QStringLiteral("ico"), QByteArrayLiteral("image/x-icon")},
    };
    const QString path = QStringLiteral(":/web/") + fileName;
    const QByteArray type = types.value(QFileInfo(fileName).suffix().toLower());
    if (type.isEmpty() || fileName.contains(QLatin1Char('/')) || !QFileInfo(path).isFile())
        return {};
    return {type, readAll(path)};
}

ServedFile IllustrationFile(const QString &folder, const QString &path)
{
    // Inside the program folder only: a bank names its pictures beside itself, and a path that
    // leads out of the folder (by "..", or by a link) reaches nothing the students should see.
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || file.isEmpty() || !file.startsWith(root + QLatin1Char('/')))
        return {};
    return pictureAt(file);
}
