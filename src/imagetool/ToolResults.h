#pragma once
// Exit codes of the tool and the texts that callers recognise in its output.
#include <QString>

enum TToolExitCode
{
    ecSuccess = 0,
    ecFailed = 1,
    ecUsage = 2,
    ecAccessDenied = 3,
    ecNoSpace = 4,
    ecStopped = 5,
    ecBusy = 6
};

namespace ToolTexts {

inline QString AccessDenied(const QString& action)
{
    return QStringLiteral("Access denied. You must be a member of the \"disk\" group or run this tool as "
                          "root to %1.")
        .arg(action);
}

inline QString NoSpace(const QString& detail)
{
    return QStringLiteral("There is not enough free space on the backup storage location %1.").arg(detail);
}

inline QString Busy()
{
    return QStringLiteral("Another backup or recovery operation is in progress. Try again when it has "
                          "finished.");
}

} // namespace ToolTexts
