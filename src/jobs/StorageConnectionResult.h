#pragma once
// What connecting to a job's storage gave: the job's storage folder, or why there is none.
#include <QString>

struct TStorageConnectionResult
{
    QString folder; // the job's storage folder; empty when not connected
    QString error;  // why the connection failed, without the "ERROR:" word; empty when it did not fail

    bool ok() const { return !folder.isEmpty(); }
};
