#pragma once
// An elevated instance (started through pkexec or sudo) works for the user who asked for it: it keeps
// its data, settings, logs and temporary files in that user's folders, and everything it creates or
// replaces there belongs to that user and their group, so that the ordinary program can go on using it.
#include <QString>

#include <optional>
#include <sys/types.h>

struct TAskingUser
{
    uid_t uid = 0;
    gid_t gid = 0;
    QString home;
};

// The user this process works for: only when it runs as root and PKEXEC_UID, else SUDO_UID, names a
// known user other than root. Read from the environment on each call.
std::optional<TAskingUser> AskingUser();

// The id of the user this process works for: the asking user's, else the real user's. Names what is
// kept per user, such as the instance lock, so that an elevated instance counts as that user's.
uid_t WorkingUserId();

// Adds a folder whose content belongs to the asking user, besides their home, data, settings and cache
// folders: the temporary and log folders of the options in force.
void AddAskingUserFolder(const QString& folder);

// Gives `path`, a file or folder the program has just created or replaced, to the asking user and their
// group when it lies in one of that user's folders (the runtime folder among them when it is theirs); a link
// itself is changed, never what it points to. Does nothing for a process that works for nobody else. False
// only when the change failed.
bool GiveToAskingUser(const QString& path);

// QDir::mkpath, then every level it created goes to the asking user as GiveToAskingUser says. False
// only when the folder could not be made.
bool MakePathForAskingUser(const QString& folder);
