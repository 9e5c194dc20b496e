// zorvanbackup-cli: the backup core without a window, for scripts, servers and tests.
#include "cli/CliApp.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorvanbackup-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliApp cli(out, err);
    return cli.run(app.arguments().mid(1));
}
