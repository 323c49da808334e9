#include "recordgroup.h"

#include <mutex>

#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
extern char **environ;
#endif

namespace {
#ifdef Q_OS_UNIX
bool g_keeps = false;
gid_t g_user = 0;    // the user's own group, held whenever no record is written
gid_t g_records = 0; // the records' group the program was started with
std::recursive_mutex g_mutex;
int g_depth = 0;
#endif

// Prefixes and names read by Qt, its browser engine, the sound and graphics libraries below it
// to find plugins, modules, helper programs or their command lines.
constexpr const char *kUnsafePrefixes[] = {"QT_", "QML", "QTWEBENGINE", "GST_", "GIO_", "GTK_", "LD_", "ALSA_",
                                           "LIBGL_", "__EGL_", "__GLX_", "MESA_", "VK_", "LADSPA_", "PULSE_",
                                           "GCONV_", "DBUS_SYSTEM_BUS", "XCURSOR_PATH", "FONTCONFIG_"};
constexpr const char *kUnsafeNames[] = {"LOCPATH", "NLSPATH", "TMPDIR", "ALSA_CONFIG_PATH", "XDG_DATA_DIRS",
                                        "XDG_CONFIG_DIRS", "PYTHONPATH", "PERLLIB", "IFS", "ENV", "BASH_ENV"};
// A platform must still be chosen by the session (offscreen, xcb, wayland); the plugin is loaded
// only from the installed plugin folder once its search paths are cleared.
constexpr const char *kKept[] = {"QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                                 "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING", "QT_FONT_DPI",
                                 "QT_ACCESSIBILITY", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON",
                                 // loads nothing: it only lets root's game show pages (the launcher sets it)
                                 "QTWEBENGINE_DISABLE_SANDBOX"};
} // namespace

bool IsUnsafeForRecordKeeper(const QByteArray &variable)
{
    for (const char *kept : kKept) {
        if (variable == kept)
            return false;
    }
    for (const char *name : kUnsafeNames) {
        if (variable == name)
            return true;
    }
    for (const char *prefix : kUnsafePrefixes) {
        if (variable.startsWith(prefix))
            return true;
    }
    return false;
}

void EnterRecordKeeping()
{
#ifdef Q_OS_UNIX
    const gid_t user = getgid();
    const gid_t records = getegid();
    if (user == records)
        return;
    QList<QByteArray> unsafe;
    for (char **entry = environ; entry && *entry; ++entry) {
        const QByteArray pair(*entry);
        const QByteArray name = pair.left(pair.indexOf('='));
        if (IsUnsafeForRecordKeeper(name))
            unsafe << name;
    }
    for (const QByteArray &name : unsafe)
        unsetenv(name.constData());
    // The group stays only as the saved one, to be raised for a write: a process started
    // meanwhile gets the user's group alone.
    if (setresgid(user, user, records) != 0)
        _exit(126); // never go on holding a group the program cannot let go of
    g_user = user;
    g_records = records;
    g_keeps = true;
#endif
}

void KeepRecordsOnlyFor(const QString &folder)
{
#ifdef Q_OS_UNIX
    if (!g_keeps)
        return;
    struct stat st{};
    if (::stat(QFile::encodeName(folder).constData(), &st) == 0 && st.st_uid == 0)
        return;
    const std::lock_guard<std::recursive_mutex> hold(g_mutex);
    if (setresgid(g_user, g_user, g_user) != 0)
        _exit(126);
    g_keeps = false;
#else
    Q_UNUSED(folder);
#endif
}

bool KeepsRecords()
{
#ifdef Q_OS_UNIX
    return g_keeps;
#else
    return false;
#endif
}

RecordGroupScope::RecordGroupScope()
{
#ifdef Q_OS_UNIX
    if (!g_keeps)
        return;
    g_mutex.lock();
    if (g_depth++ == 0 && setresgid(g_records, g_records, g_user) != 0)
        _exit(126);
#endif
}

RecordGroupScope::~RecordGroupScope()
{
#ifdef Q_OS_UNIX
    if (!g_keeps)
        return;
    if (--g_depth == 0 && setresgid(g_user, g_user, g_records) != 0)
        _exit(126);
    g_mutex.unlock();
#endif
}
