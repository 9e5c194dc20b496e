#pragma once
// Parts of a test that meet the file system as an ordinary user does, also when the tests run as root:
// permission bits then hold (a folder without search permission cannot be looked into, a read-only
// folder refuses new files). The user id stays, so the test's own files stay the user's own.
#include <QString>
#include <QStringList>

#include <linux/capability.h>

// While it lives, the calling thread has no capability in effect, and neither has any thread it starts
// meanwhile (a backup run's worker keeps it so to its end). The calling thread gets them back at the end.
class TWithoutPrivileges
{
public:
    TWithoutPrivileges();
    ~TWithoutPrivileges();
    TWithoutPrivileges(const TWithoutPrivileges&) = delete;
    TWithoutPrivileges& operator=(const TWithoutPrivileges&) = delete;

private:
    __user_cap_data_struct saved[_LINUX_CAPABILITY_U32S_3] = {};
};

struct TProgramRun
{
    int exitCode = -1; // -1: it could not be started or did not end normally
    QString output;    // standard output and error, interleaved
};

// Runs a program in a child process with no capabilities at all (through setpriv when the tests run
// as root) and waits for it to end.
TProgramRun RunProgramWithoutPrivileges(const QString& program, const QStringList& arguments);
