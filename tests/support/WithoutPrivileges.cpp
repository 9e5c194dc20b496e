#include "support/WithoutPrivileges.h"

#include <QProcess>
#include <QStandardPaths>

#include <sys/syscall.h>
#include <unistd.h>

namespace {
// The raw calls: they change the calling thread's sets only.
bool capabilities(__user_cap_data_struct (&data)[_LINUX_CAPABILITY_U32S_3], bool set)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}
} // namespace

TWithoutPrivileges::TWithoutPrivileges()
{
    if (!capabilities(saved, false))
        qFatal("cannot read the thread's capabilities");
    __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3];
    for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i)
        none[i] = {0, saved[i].permitted, saved[i].inheritable};
    if (!capabilities(none, true))
        qFatal("cannot give up the thread's capabilities");
}

TWithoutPrivileges::~TWithoutPrivileges()
{
    capabilities(saved, true);
}

TProgramRun RunProgramWithoutPrivileges(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    TProgramRun run;
    if (::getuid() == 0) {
        // Root keeps its user id but takes no capability into the program.
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty()) {
            run.output = QStringLiteral("setpriv is not available");
            return run;
        }
        process.setProgram(setpriv);
        process.setArguments(
            QStringList{"--bounding-set=-all", "--inh-caps=-all", "--no-new-privs", "--", program} +
            arguments);
    } else {
        process.setProgram(program);
        process.setArguments(arguments);
    }
    process.start();
    if (!process.waitForStarted() || !process.waitForFinished(300000))
        return run;
    run.output = QString::fromUtf8(process.readAll());
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
}
