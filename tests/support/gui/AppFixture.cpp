#include "support/gui/AppFixture.h"

#include "app/ProgramEntry.h"
#include "base/AppState.h"
#include "events/EventsLog.h"
#include "scheduler/RunControl.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/mainwindow/TJobListModel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QTest>

void AppFixture::SetUp()
{
    root = TestEnvironment::makeFolder("app");
    const QList<std::pair<const char*, QString>> folders{{"XDG_DATA_HOME", root + "/data"},
                                                         {"XDG_CONFIG_HOME", root + "/config"},
                                                         {"XDG_CACHE_HOME", root + "/cache"},
                                                         {"XDG_RUNTIME_DIR", root + "/runtime"}};
    for (const auto& [name, path] : folders) {
        saved.append({name, qgetenv(name)});
        QDir().mkpath(path);
        qputenv(name, QFile::encodeName(path));
    }
    QFile::setPermissions(root + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    sourceRoot = root + "/sources";
    destination = root + "/backups";
    QDir().mkpath(destination);
    AppTerminating = false;
    ElevatedInstance = false;
    EventsQueue().takeAll();
    SetUpApplication();
    MessageDialogHook::clearAnswers();
    MessageDialogHook::clearShown();
    MessageDialogHook::answerAll(mrOk);
}

void AppFixture::TearDown()
{
    stop();
    MessageDialogHook::clearAnswers();
    MessageDialogHook::clearShown();
    AppTerminating = false;
    ElevatedInstance = false;
    for (const auto& [name, value] : saved)
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

TZorvanBackupProgram& AppFixture::start(const QStringList& parameters, bool firstInstance)
{
    const TCommandLine commandLine(parameters);
    ElevatedInstance = commandLine.IsElevatedInstance();
    program = std::make_unique<TZorvanBackupProgram>(commandLine);
    if (firstInstance) {
        lock = std::make_unique<TInstanceLock>();
        EXPECT_TRUE(lock->tryLock());
        EXPECT_TRUE(program->ListenForHandOver());
    }
    EXPECT_TRUE(program->Create());
    // The test's own event processing goes on after the program has ended.
    program->lifecycle().EndProgram = {};
    EXPECT_TRUE(program->PassStartupGates());
    program->ShowAtStart();
    return *program;
}

void AppFixture::stop()
{
    if (!program)
        return;
    program->scheduler().disableTimer();
    TJobCatalogue& jobs = program->jobs();
    if (jobs.IsSomeJobRunning()) {
        TRunControl(program->scheduler()).ActionCancelAllExecute();
        EXPECT_TRUE(waitUntil([&] { return !jobs.IsSomeJobRunning(); }, 60000));
    }
    program.reset();
    lock.reset();
}

void AppFixture::createFilesJob(const QString& name, const QList<std::pair<QString, qint64>>& files,
                                const QString& type)
{
    const QString source = sourceRoot + '/' + name;
    QDir().mkpath(source);
    for (const auto& [file, size] : files) {
        QFile out(source + '/' + file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        // Written with data, not sparse: a copy then takes as long as the size says.
        const QByteArray block(1 << 20, 'z');
        for (qint64 left = size; left > 0; left -= block.size())
            out.write(block.constData(), std::min<qint64>(left, block.size()));
    }
    const CliRun run = RunCli({"create", name, "--source", source, "--dest", destination, "--type", type});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
}

void AppFixture::createImageJob(const QString& name)
{
    const QString volume = root + "/volume.img";
    TestEnvironment::writeFile(volume, QByteArray(1 << 20, 'v'));
    const CliRun run = RunCli({"create", name, "--kind", "image", "--dest", destination, "--volume", volume});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
}

QListView& AppFixture::jobList()
{
    return *program->mainWindow().findChild<QListView*>(QStringLiteral("lbJobsList"));
}

QString AppFixture::rowText(int row)
{
    const QAbstractItemModel* model = jobList().model();
    return model->data(model->index(row, 0), Qt::DisplayRole).toString();
}

int AppFixture::rowOf(const QString& jobName)
{
    return program->jobs().indexOfName(jobName);
}

bool AppFixture::waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

void AppFixture::trigger(const char* actionName)
{
    QAction* action = program->mainWindow().findChild<QAction*>(QString::fromLatin1(actionName));
    ASSERT_TRUE(action) << actionName;
    action->trigger();
}
