#pragma once
// A full instance of the program in the test process, on a configuration of its own: fresh data,
// settings, cache and runtime folders per test, the flags cleared, every message box answered OK unless
// the test queues another answer.
#include "app/ZorvanBackupProgram.h"
#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QListView;
class QModelIndex;

class AppFixture : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the program as the entry does: the instance lock and the hand-over server (unless
    // `firstInstance` is false), the windows, the gates, the window shown unless "/hide".
    TZorvanBackupProgram& start(const QStringList& parameters = {}, bool firstInstance = true);
    // Ends the program: running jobs cancelled and waited for, the windows destroyed.
    void stop();

    // A files-and-folders job made by the command-line program, with a source folder holding
    // `files` (name -> size in bytes) and its own destination folder.
    void createFilesJob(const QString& name, const QList<std::pair<QString, qint64>>& files,
                        const QString& type = QStringLiteral("mirror"));
    void createImageJob(const QString& name);

    QListView& jobList();
    // The row's text as the list model gives it (all four cells).
    QString rowText(int row);
    int rowOf(const QString& jobName);
    // Processes events until `condition` holds; false after `timeoutMs`.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 30000);
    // Runs one action of the main window by its object name.
    void trigger(const char* actionName);

    QString root;        // the test's own folder
    QString sourceRoot;  // sources of the jobs
    QString destination; // where their backups go
    std::unique_ptr<TInstanceLock> lock;
    std::unique_ptr<TZorvanBackupProgram> program;

private:
    QList<std::pair<const char*, QByteArray>> saved;
};
