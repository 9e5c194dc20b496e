#pragma once
// Points a test's job at the test smbd's share instead of a local destination folder.
#include "support/SmbServer.h"

#include <QString>

#include <memory>

class TJob;

// Starts `server` on first use, then gives `job` a network destination on its share: a folder named
// like `destinationFolder`, whose local path on the server's side replaces `destinationFolder` (the
// folder is created). False when smbd cannot run here (a failed start is also a test failure).
bool UseSmbDestination(std::unique_ptr<SmbServer>& server, TJob& job, QString& destinationFolder);
