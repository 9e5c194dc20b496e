#pragma once
// A file's stamp: its last-write time in local time, as the text "yyyy-mm-dd hh:nn:ss:zzz". In memory
// a stamp is the same digits packed into one integer (yyyymmddhhnnsszzz), so that comparing two packed
// stamps is comparing their texts, and a run holds eight bytes per file instead of a string.
#include <QString>
#include <QStringList>

#include <vector>

using TFileStamp = qint64;
using TStampList = std::vector<TFileStamp>;

// Never equal to the stamp of a file: a stored stamp text that is not in the canonical form.
constexpr TFileStamp kNoStamp = -1;

// The stamp of a last-write time given in milliseconds since 1970-01-01 UTC.
TFileStamp StampFromMsecsSinceEpoch(qint64 msecs);
QString FormatStamp(TFileStamp stamp);
// kNoStamp unless `text` is exactly a canonical stamp text.
TFileStamp ParseStamp(QStringView text);

TStampList ParseStamps(const QStringList& texts);
QStringList FormatStamps(const TStampList& stamps);
