#pragma once
// The path join every part of the program uses, for local and storage paths alike.
#include <QString>

// Joins two path parts: an empty second part gives the first, a rooted second part ("/…", "//…",
// "\\…", "smb://…") replaces the first, otherwise exactly one separator lies between them (a network
// path written with backslashes may already end in one).
QString JoinPath(const QString& first, const QString& second);
