#pragma once
// The names in a folder and their kinds, for browsing: the kinds come from the listing itself, and only
// links and entries of unknown type are looked at one by one, so that a folder of many thousands of
// entries lists quickly. Hidden entries are included; "." and ".." are not.
#include <QList>
#include <QString>

struct TFolderName
{
    enum TKind : quint8
    {
        fnFile = 0,
        fnFolder = 1,
        fnLinkToFolder = 2,
        fnLinkToFile = 3,
        fnOther = 4 // sockets, FIFOs, devices, links that lead nowhere
    };
    QString name;
    TKind kind = fnOther;
};

// 0, or the errno of a folder that cannot be listed (or whose listing broke off: what was read is kept).
int ListFolderNames(const QString& folder, QList<TFolderName>& names);
