// zorvanbackup-cli: the backup core without a window, for scripts, servers and tests.
#include "cli/CliApp.h"
#include "platform/LargeBufferMemory.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    // Before any thread starts: large copy buffers and run lists then go back to the system as soon
    // as they are freed, instead of growing the heap for the rest of the process.
    KeepLargeBuffersInOwnMappings();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorvanbackup-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliApp cli(out, err);
    return cli.run(app.arguments().mid(1));
}
