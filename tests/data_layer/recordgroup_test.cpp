// The group of the records an installed game is started with: what the environment may not carry
// into it, and that it is held only inside a write, never by a process the game starts.

#include "recordgroup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(RecordGroup, WhatLoadsCodeOrCommandsIsClearedAndTheSessionsChoicesStay)
{
    const struct {
        const char *variable;
        bool unsafe;
    } cases[] = {
        {"QT_PLUGIN_PATH", true},          {"QT_QPA_PLATFORM_PLUGIN_PATH", true}, {"QTWEBENGINEPROCESS_PATH", true},
        {"QTWEBENGINE_CHROMIUM_FLAGS", true}, {"QML2_IMPORT_PATH", true},      {"QML_IMPORT_PATH", true},
        {"QT_QPA_PLATFORMTHEME", true},    {"GST_PLUGIN_PATH", true},             {"GIO_EXTRA_MODULES", true},
        {"GTK_MODULES", true},             {"LD_PRELOAD", true},                  {"LIBGL_DRIVERS_PATH", true},
        {"QT_QPA_PLATFORM", false},        {"QTWEBENGINE_DISABLE_SANDBOX", false}, {"HOME", false},
        {"LANG", false},                   {"DISPLAY", false},                    {"XDG_CONFIG_HOME", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsUnsafeForRecordKeeper(c.variable), c.unsafe) << c.variable;
}

// A process started as a student with the records' group, as the setgid game is: the group
// only inside a scope, the user's own everywhere else and in every process it starts.
TEST(RecordGroup, TheGroupIsHeldOnlyInsideAWriteAndNeverByAChildProcess)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "starting a process as another user with another group needs root (CI runs as root)";
    constexpr gid_t kStudent = 65534, kRecords = 4242;
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(out[0]);
        if (setgroups(0, nullptr) != 0 || setresgid(kStudent, kRecords, kRecords) != 0
            || setresuid(65534, 65534, 65534) != 0)
            _exit(3);
        setenv("QT_PLUGIN_PATH", "/tmp/planted", 1);
        EnterRecordKeeping();
        gid_t r, e, s;
        char line[256];
        getresgid(&r, &e, &s);
        int n = std::snprintf(line, sizeof line, "idle %u %u %u %s\n", r, e, s,
                              std::getenv("QT_PLUGIN_PATH") ? "planted" : "clean");
        {
            const RecordGroupScope records;
            getresgid(&r, &e, &s);
            n += std::snprintf(line + n, sizeof line - n, "write %u %u %u\n", r, e, s);
        }
        getresgid(&r, &e, &s);
        n += std::snprintf(line + n, sizeof line - n, "after %u %u %u\n", r, e, s);
        KeepRecordsOnlyFor(QStringLiteral("/")); // the administrator's: kept
        getresgid(&r, &e, &s);
        n += std::snprintf(line + n, sizeof line - n, "root's %u %u %u\n", r, e, s);
        char own[] = "/tmp/tallory-own-XXXXXX"; // the student's own: let go of
        if (!mkdtemp(own))
            _exit(6);
        KeepRecordsOnlyFor(QString::fromLocal8Bit(own));
        rmdir(own);
        getresgid(&r, &e, &s);
        n += std::snprintf(line + n, sizeof line - n, "own %u %u %u %d\n", r, e, s, KeepsRecords());
        if (write(out[1], line, n) != n)
            _exit(4);
        // A program the game starts: its groups, real, effective, saved and file system's.
        dup2(out[1], 1);
        execl("/bin/sh", "sh", "-c", "grep ^Gid: /proc/self/status", static_cast<char *>(nullptr));
        _exit(5);
    }
    close(out[1]);
    std::string said;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(said, "idle 65534 65534 4242 clean\n"
                    "write 4242 4242 65534\n"
                    "after 65534 65534 4242\n"
                    "root's 65534 65534 4242\n"
                    "own 65534 65534 65534 0\n"
                    "Gid:\t65534\t65534\t65534\t65534\n");
}
