#pragma once
// The checks an edited set of options must pass before it is taken over, in the order they are made.
#include <QString>

struct TOptionsEntry
{
    bool ProtectConfigurationbyPassword = false;
    QString Password;
    QString PathForTempFiles;
    QString PathForLogFiles;
};

// The translated message of the first check that fails, or empty when all pass: a protection without
// a password, a temporary or log path that is empty or not an existing folder, and the same path for
// both (compared exactly after removing surrounding blanks).
QString OptionsEntryError(const TOptionsEntry& entry);
