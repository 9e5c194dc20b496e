#pragma once
// A main window over a real catalogue and scheduler (with the scheduler tests' run starter and
// system-service recorders), its services recording what the window asks of the program.
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "unit/scheduler/SchedulerHarness.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <memory>

// Receives the web addresses the window opens (QDesktopServices::setUrlHandler).
class TUrlRecorder : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void open(const QUrl& url) { Urls.append(url); }

public:
    QList<QUrl> Urls;
};

class MainWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ResetSchedulerGlobals();
        Clock::setTestTime(Monday(12, 0));
        MessageDialogHook::clearAnswers();
        MessageDialogHook::clearShown();
        MessageDialogHook::answerAll(mrOk);
        LogFolder = TestEnvironment::makeFolder(QStringLiteral("logs"));
        services.Jobs = &h.Jobs;
        services.Scheduler = &h.Scheduler;
        services.LogFolder = [this] { return LogFolder; };
        services.OpenReport = [this](const QString& path, bool showErrorsWarnings) {
            Reports.append({path, showErrorsWarnings});
        };
        services.StartedByHand = [this](TJob& job) { StartedByHand.append(job.stJobName); };
    }
    void TearDown() override
    {
        window.reset();
        MessageDialogHook::clearAnswers();
        MessageDialogHook::clearShown();
        Clock::resetTestTime();
        ResetSchedulerGlobals();
    }

    TfrmMainOstrinBackup& open()
    {
        window = std::make_unique<TfrmMainOstrinBackup>(services);
        window->Refresh(TTickCounts{h.Jobs.count(), 0, 0});
        return *window;
    }
    TJob_FilesAndFolders& addJob(const QString& name, TJobStatus status = jsNone)
    {
        TJob_FilesAndFolders& job = h.addFiles(name);
        job.SchedulingSettings.SchedulingType = stDisabled;
        job.JobStatus.store(status);
        return job;
    }
    template <class T> T* child(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    QListView* list() const { return child<QListView>("lbJobsList"); }
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const MessageDialogHook::TShownMessage& message : MessageDialogHook::shown())
            texts.append(message.Text);
        return texts;
    }

    struct TReport
    {
        QString Path;
        bool ShowErrorsWarnings = false;
    };
    TSchedulerHarness h;
    TMainWindowServices services;
    QString LogFolder;
    QList<TReport> Reports;
    QStringList StartedByHand;
    std::unique_ptr<TfrmMainOstrinBackup> window;
};
