#pragma once
// The line that reports a failed connection in the events log, the history and messages.
#include "jobs/uJob.h"

// "ERROR:", a blank and the connection's error text, in the job's language.
QString ConnectionErrorLine(const TJob& job, const TStorageConnectionResult& connection);
