#include "files.h"

#include "lockedfile.h"
#include "strutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QString ProgramFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString SettingsFilePath(const QString &programFolder)
{
    return programFolder + QStringLiteral("tallory.ini");
}

void MakeFolderPath(const QString &path)
{
    QString native = path;
    native.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QByteArray p = AddSeparator(native.toUtf8(), '/');
    // A leading separator is skipped; a drive prefix such as C:/ is skipped by starting at 4.
    // A relative path has neither and starts at its first character.
    int start = 1;
    if (p.startsWith('/'))
        start = 2;
    else if (p.size() >= 2 && p[1] == ':')
        start = 4;
    for (int i = start; i <= p.size(); ++i) {
        if (p[i - 1] == '/') {
            const QString folder = QString::fromUtf8(p.left(i - 1));
            if (!folder.isEmpty())
                QDir().mkdir(folder);
        }
    }
}

namespace {

// "*" stands for any run of characters and "?" for any one; letters match without regard to
// case, as on the platform the program was made for. Matched by hand: a regular expression
// would load and compile the expression engine, half a megabyte, at every start-up, for the
// one mask of loose clips.
bool MaskMatches(QStringView mask, QStringView name)
{
    qsizetype m = 0, n = 0, star = -1, resume = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            star = m++;
            resume = n;
        } else if (m < mask.size() && (mask[m] == u'?' || mask[m].toCaseFolded() == name[n].toCaseFolded())) {
            ++m;
            ++n;
        } else if (star >= 0) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

} // namespace

QStringList MatchingFiles(const QString &mask)
{
    const QFileInfo maskInfo(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(mask)));
    const QDir dir(maskInfo.absolutePath());
    const QString pattern = maskInfo.fileName();
    const QStringList all = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                          QDir::Name);
    QStringList names;
    for (const QString &name : all) {
        if (name.startsWith(QLatin1Char('.')) || !MaskMatches(pattern, name))
            continue;
        if (QFileInfo(dir.filePath(name)).isDir())
            continue;
        names << name;
    }
    return names;
}

bool CopyOneFile(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return false;
    return ReplaceFileLocked(target, [&](const std::optional<QByteArray> &) {
               return Result<std::optional<QByteArray>>::success(bytes);
           }).ok();
}

QStringList CopyFiles(const QString &mask, const QString &target)
{
    const QString folder = QFileInfo(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(mask))).absolutePath()
        + QLatin1Char('/');
    QString to = QDir::fromNativeSeparators(target);
    if (!to.endsWith(QLatin1Char('/')))
        to += QLatin1Char('/');
    QStringList copied;
    for (const QString &name : MatchingFiles(mask)) {
        // A file of the same name there is replaced, whatever its letter case, as on the file
        // systems where two such names are one file: "Fon1.WAV" takes the place of "fon1.wav".
        if (CopyOneFile(folder + name, FindNoCase(to, name)))
            copied << name;
    }
    return copied;
}

bool DeleteOneFile(const QString &path)
{
#ifndef Q_OS_WIN
    // Qt falls back to the current folder when the user's trash folder does not exist yet and
    // would leave "files" and "info" folders there; a fresh account gets its trash made first.
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    if (!QDir().mkpath(trash + QStringLiteral("/files")) || !QDir().mkpath(trash + QStringLiteral("/info")))
        return false;
#endif
    return QFile::moveToTrash(path);
}

bool DeleteFiles(const QString &mask, const QStringList *only)
{
    const QString folder = QFileInfo(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(mask))).absolutePath()
        + QLatin1Char('/');
    const QStringList names = MatchingFiles(mask);
    bool result = !names.isEmpty();
    for (const QString &name : names) {
        if (only && !only->contains(name))
            continue;
        result = DeleteOneFile(folder + name);
        if (!result)
            break;
    }
    return result;
}

void SelectRussianKeyboard()
{
#ifdef Q_OS_WIN
    LoadKeyboardLayoutW(L"00000419", KLF_ACTIVATE);
#endif
}

QString FindNoCase(const QString &folder, const QString &name)
{
    QDir dir(folder);
    if (QFileInfo::exists(folder + name))
        return folder + name;
    const QStringList all = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : all) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + entry;
    }
    return folder + name;
}

QString SoundFolder(const QString &programFolder)
{
    return FindNoCase(programFolder, QStringLiteral("WAV"));
}

QStringList SoundFolders(const QString &programFolder)
{
    QStringList folders{SoundFolder(programFolder)};
    const QStringList all = QDir(programFolder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &entry : all) {
        if (entry.compare(QStringLiteral("wav"), Qt::CaseInsensitive) == 0 && !folders.contains(programFolder + entry))
            folders << programFolder + entry;
    }
    return folders;
}

void MoveLooseWaves(const QString &programFolder)
{
    // "WAV" and "wav" must reach one folder on a case-sensitive file system: an existing
    // folder of either spelling is used rather than a second one made beside it.
    const QString mask = programFolder + QStringLiteral("*.wav");
    // Nothing to move makes nothing: a shared folder would otherwise get a sound folder owned
    // by whichever user started the program there first.
    if (MatchingFiles(mask).isEmpty())
        return;
    const QString soundFolder = SoundFolder(programFolder);
    MakeFolderPath(soundFolder);
    const QStringList copied = CopyFiles(mask, soundFolder);
    // Only the files that reached the sound folder are removed, so a failed copy loses nothing
    // even where there is no trash to get a file back from.
    DeleteFiles(mask, &copied);
}
