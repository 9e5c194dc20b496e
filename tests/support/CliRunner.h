#pragma once
// Runs zorvanbackup-cli's commands in-process with their output captured, as a user would see it.
#include "cli/CliApp.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

struct CliRun
{
    int code = 0;
    QString out;
    QString err;
};

// Calls `command` with a CliApp whose streams write into the returned record.
template <typename Command> CliRun RunWithCli(Command command)
{
    CliRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    CliApp cli(out, err);
    run.code = command(cli);
    out.flush();
    err.flush();
    return run;
}

inline CliRun RunCli(const QStringList& args)
{
    return RunWithCli([&](CliApp& cli) { return cli.run(args); });
}
