#pragma once
// The check at start: the version and changes pages fetched from the update server and evaluated for
// the running version. Every failure (no connection, a time-out, an HTTP error, a malformed page)
// counts as no update, without a message.
#include "update/UpdateServer.h"
#include "update/VersionPage.h"

TNewVersion CheckForNewVersion(const TUpdateServer& server);
