#pragma once
// Tests of files a user may not write, run as root on a build machine.

#include <QFile>
#include <QString>
#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace testutil {

// While alive, this thread works without the capabilities that let root ignore file
// permissions, so a read-only folder is read-only to the test even when it runs as root.
// Capabilities belong to the thread, and the file routines run on it.
class WithoutPermissionOverride
{
public:
    WithoutPermissionOverride()
    {
#ifdef Q_OS_LINUX
        if (geteuid() != 0 || syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_active = syscall(SYS_capset, &m_header, reduced) == 0;
#endif
    }
    ~WithoutPermissionOverride()
    {
#ifdef Q_OS_LINUX
        if (m_active)
            syscall(SYS_capset, &m_header, m_saved);
#endif
    }
    WithoutPermissionOverride(const WithoutPermissionOverride &) = delete;
    WithoutPermissionOverride &operator=(const WithoutPermissionOverride &) = delete;

private:
#ifdef Q_OS_LINUX
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_active = false;
#endif
};

/// Whether a folder closed to writing refuses a new file to this thread, as it does to any user
/// but one the permissions do not bind; nothing is left behind either way.
inline bool FolderRefusesNewFiles(const QString &folder)
{
    QFile probe(folder + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return true;
    probe.remove();
    return false;
}

} // namespace testutil
