#pragma once
// Byte counts as the logs and the command line show them.
#include <QString>

// "###0.##" of the size in the largest unit that keeps it above 1 (at least KB), then the unit.
QString FormatByteSize(qint64 bytes);
