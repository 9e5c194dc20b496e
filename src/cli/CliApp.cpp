#include "cli/CliApp.h"

int CliApp::run(const QStringList& arguments)
{
    if (arguments.isEmpty() || arguments.first() == "--help" || arguments.first() == "-h" ||
        arguments.first() == "help") {
        printHelp();
        return arguments.isEmpty() ? kUsage : kOk;
    }
    return usageError(QStringLiteral("unknown command: %1").arg(arguments.first()));
}

int CliApp::usageError(const QString& message)
{
    err << "zorvanbackup-cli: " << message << "\n"
        << "Run 'zorvanbackup-cli --help' for the commands.\n";
    err.flush();
    return kUsage;
}

void CliApp::printHelp()
{
    out << "Usage: zorvanbackup-cli COMMAND [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  list [--json]         every backup job in order: name, kind, destination, schedule, last result\n"
           "  show NAME [--json]    all settings of one job\n"
           "  --help                this text\n";
    out.flush();
}
