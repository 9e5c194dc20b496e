#include "support/SmbDestination.h"

#include "jobs/uJob.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

bool UseSmbDestination(std::unique_ptr<SmbServer>& server, TJob& job, QString& destinationFolder)
{
    if (!SmbServer::available())
        return false;
    if (!server) {
        server = std::make_unique<SmbServer>();
        if (!server->start()) {
            ADD_FAILURE() << server->errorText().toStdString();
            server.reset();
            return false;
        }
    }
    const QString name = QFileInfo(destinationFolder).fileName();
    destinationFolder = server->shareFolder() + '/' + name;
    QDir().mkpath(destinationFolder);
    job.DestinationType = dtNetwork;
    job.DestinationPath = server->shareUrl() + '/' + name;
    job.Destination_NetworkUsername = server->user();
    job.Destination_NetworkPassword = server->password();
    return true;
}
