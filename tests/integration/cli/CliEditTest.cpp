// zorvanbackup-cli create and edit: the schedule and settings options of both kinds of job and the
// wizards' checks on them, read back as `show --json` prints the job. A refused change leaves the job
// file as it was; a change made while the job runs is refused.
#include "cli/CliApp.h"
#include "events/EventsLog.h"
#include "jobs/JobCatalogue.h"
#include "platform/JobRunLock.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

using namespace TestEnvironment;

namespace {

QJsonObject showJson(const QString& name)
{
    const CliRun run = RunCli({"show", name, "--json"});
    EXPECT_EQ(run.code, CliApp::kOk) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

QStringList strings(const QJsonValue& value)
{
    QStringList list;
    for (const QJsonValue& item : value.toArray())
        list.append(item.isDouble() ? QString::number(item.toInt()) : item.toString());
    return list;
}

// One step of a table: the command line and either the usage error it gets or what the job then holds.
struct TStep
{
    using TCheck = std::function<void(const QJsonObject& job, const QJsonObject& schedule)>;
    TStep(const QStringList& args, const char* refusal) : args(args), refusal(refusal) {}
    TStep(const QStringList& args, TCheck check) : args(args), check(std::move(check)) {}

    QStringList args;
    const char* refusal = nullptr; // part of the message of a refused step (exit code 64)
    TCheck check;
};

class CliEditTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        QDir().mkpath(StandardFolders::applicationDataFolder());
        EventsQueue().takeAll();
        work = makeFolder("edit");
        for (const char* folder : {"/docs/work", "/photos", "/other/work", "/usb", "/usb2"})
            QDir().mkpath(work + folder);
        writeFile(work + "/notes.txt", "notes");
        writeFile(work + "/password", "s3cret\n");
    }

    // Runs the steps in order on the job `name`; a refused step must leave its job file untouched and
    // the one accepted must move its modification time forward.
    void runSteps(const QString& name, const QList<TStep>& steps)
    {
        for (const TStep& step : steps) {
            const QString line = step.args.join(' ');
            const QString path = LocalJobFilePath(name);
            const QByteArray before = readFile(path);
            const QDateTime started = QDateTime::currentDateTime().addMSecs(-1000);
            const CliRun run = RunCli(step.args);
            if (step.refusal) {
                EXPECT_EQ(run.code, CliApp::kUsage) << line.toStdString() << "\n" << run.err.toStdString();
                EXPECT_TRUE(run.err.contains(QString::fromUtf8(step.refusal))) << line.toStdString() << "\n"
                                                                               << run.err.toStdString();
                EXPECT_EQ(readFile(path), before) << line.toStdString();
                continue;
            }
            ASSERT_EQ(run.code, CliApp::kOk) << line.toStdString() << "\n" << run.err.toStdString();
            const QJsonObject job = showJson(name);
            const QJsonObject schedule = job["schedule"].toObject();
            EXPECT_GE(QDateTime::fromString(schedule["last_modified"].toString(), Qt::ISODate), started)
                << line.toStdString();
            if (step.check)
                step.check(job, schedule);
        }
    }

    QString work;
};

TEST_F(CliEditTest, FilesJobOptionsAndTheirChecks)
{
    const QString docs = work + "/docs";
    const QStringList edit = {"edit", "Docs"};
    const QList<TStep> steps = {
        {{"create", "Docs", "--source", docs, "--dest", work + "/usb", "--at", "08:00:00", "--at", "08:00:00",
          "--days-of-week", "mon"},
         "Record already exists"},
        {{"create", "Docs", "--source", docs, "--dest", work + "/usb", "--days-of-week", "mon"},
         "Please add at least one record to the timetable."},
        {{"create", "Docs", "--source", docs, "--dest", work + "/usb", "--days-of-week", "MON,friday", "--at",
          "20:00:00", "--at", "08:00:00"},
         [](const QJsonObject& job, const QJsonObject& s) {
             EXPECT_EQ(s["type"], "days_of_week");
             EXPECT_EQ(strings(s["days_of_week"]), QStringList({"1", "5"}));
             EXPECT_EQ(strings(s["timetable"]), QStringList({"08:00:00", "20:00:00"}));
             // A new job runs missed starts, as the wizard's new job does.
             EXPECT_TRUE(s["run_missed_start"].toBool());
             EXPECT_FALSE(s["shutdown_at_end"].toBool());
             const QDateTime next = QDateTime::fromString(s["next_start"].toString(), Qt::ISODate);
             EXPECT_TRUE(next > QDateTime::currentDateTime()) << s["next_start"].toString().toStdString();
             EXPECT_TRUE(next.date().dayOfWeek() == 1 || next.date().dayOfWeek() == 5);
             EXPECT_EQ(job["backup_type"], "incremental");
         }},
        {edit + QStringList{"--at", "12:00:00", "--at", "06:00:00", "--at", "12:00:00"},
         "Record already exists"},
        {edit + QStringList{"--at", "24:00:00"}, "--at takes a time of day as HH:MM:SS"},
        {edit + QStringList{"--at", "8:00"}, "--at takes a time of day as HH:MM:SS"},
        {edit + QStringList{"--days-of-week", ""}, "Please specify at least one day."},
        {edit + QStringList{"--days-of-week", "mon,funday"}, "--days-of-week takes day names"},
        {edit + QStringList{"--days-of-month", "0"}, "--days-of-month takes days 1 to 31"},
        {edit + QStringList{"--days-of-month", "1", "--days-of-week", "mon"}, "give one of --days-of-week"},
        {edit + QStringList{"--no-schedule", "--days-of-week", "mon"}, "give one of --days-of-week"},
        {edit + QStringList{"--days-of-month", "1,15,31", "--at", "23:30:00", "--at", "06:30:00"},
         [](const QJsonObject&, const QJsonObject& s) {
             EXPECT_EQ(s["type"], "days_of_month");
             EXPECT_EQ(strings(s["days_of_month"]), QStringList({"1", "15", "31"}));
             EXPECT_EQ(strings(s["timetable"]), QStringList({"06:30:00", "23:30:00"}));
             // The other kind of days is kept, as the wizard keeps its unticked list.
             EXPECT_EQ(strings(s["days_of_week"]), QStringList({"1", "5"}));
         }},
        {edit + QStringList{"--no-run-missed", "--shutdown-at-end"},
         [](const QJsonObject&, const QJsonObject& s) {
             EXPECT_FALSE(s["run_missed_start"].toBool());
             EXPECT_TRUE(s["shutdown_at_end"].toBool());
             EXPECT_EQ(s["type"], "days_of_month");
         }},
        {edit + QStringList{"--no-schedule"},
         [](const QJsonObject&, const QJsonObject& s) {
             EXPECT_EQ(s["type"], "disabled");
             EXPECT_EQ(s["next_start"], "");
             EXPECT_EQ(strings(s["timetable"]), QStringList({"06:30:00", "23:30:00"}));
         }},
        {edit + QStringList{"--type", "full", "--full-every", "3", "--keep-full", "2", "--remove-before"},
         [](const QJsonObject& job, const QJsonObject& s) {
             EXPECT_EQ(job["backup_type"], "full");
             EXPECT_EQ(job["full_every"], 3);
             EXPECT_EQ(job["keep_full"], 2);
             EXPECT_TRUE(job["remove_before"].toBool());
             EXPECT_EQ(s["type"], "disabled");
         }},
        {edit + QStringList{"--include", ".txt"}, "Characters * . , \\ / are not allowed."},
        {edit + QStringList{"--exclude", " ; "}, "Please specify extensions separated by ;"},
        {edit + QStringList{"--include", "txt", "--no-filter"}, "give one of --include, --exclude"},
        {edit + QStringList{"--include", " ;TXT; Doc;"},
         [](const QJsonObject& job, const QJsonObject&) {
             EXPECT_EQ(job["filter"], "include_only");
             EXPECT_EQ(job["extensions"], "txt;doc");
         }},
        {edit + QStringList{"--no-filter", "--no-remove-before"},
         [](const QJsonObject& job, const QJsonObject&) {
             EXPECT_EQ(job["filter"], "none");
             EXPECT_FALSE(job["remove_before"].toBool());
             EXPECT_EQ(job["backup_type"], "full");
         }},
        {edit + QStringList{"--add-source", work + "/photos", work + "/notes.txt"},
         [&](const QJsonObject& job, const QJsonObject&) {
             EXPECT_EQ(strings(job["sources"]),
                       QStringList({docs + "/*", work + "/photos/*", work + "/notes.txt"}));
         }},
        {edit + QStringList{"--add-source", work + "/docs/work", work + "/other/work"},
         "Among the items there are files or folders having the same name"},
        {edit + QStringList{"--add-source", work + "/missing"}, "the source does not exist"},
        {edit + QStringList{"--remove-source", work + "/usb"}, "is not a source of the job"},
        {edit + QStringList{"--remove-source", docs + "/*", work + "/notes.txt"},
         [&](const QJsonObject& job, const QJsonObject&) {
             EXPECT_EQ(strings(job["sources"]), QStringList({work + "/photos/*"}));
         }},
        {edit + QStringList{"--remove-source", work + "/photos"},
         "Please add one or more sources to the list"},
        {edit + QStringList{"--source", work + "/other/work", work + "/docs"},
         [&](const QJsonObject& job, const QJsonObject&) {
             EXPECT_EQ(strings(job["sources"]), QStringList({work + "/other/work/*", docs + "/*"}));
         }},
        {edit + QStringList{"--dest", "//nas"}, "Please choose correct UNC-path"},
        {edit + QStringList{"--user", "ann", "--password-file", work + "/password"},
         "--user applies to network destinations only"},
        {edit + QStringList{"--dest", "\\\\nas\\backups", "--user", "ann", "--password-file",
                            work + "/password"},
         [](const QJsonObject& job, const QJsonObject&) {
             EXPECT_EQ(job["destination_type"], "network");
             EXPECT_EQ(job["destination"], "//nas/backups");
             EXPECT_EQ(job["network_user"], "ann");
             EXPECT_TRUE(job["network_password_set"].toBool());
         }},
        // A local destination keeps the stored network user and password, as the wizard does.
        {edit + QStringList{"--dest", work + "/usb2"},
         [&](const QJsonObject& job, const QJsonObject&) {
             EXPECT_EQ(job["destination_type"], "external_device");
             EXPECT_EQ(job["destination"], work + "/usb2");
             EXPECT_EQ(job["network_user"], "ann");
             EXPECT_TRUE(job["network_password_set"].toBool());
         }},
        {edit + QStringList{"--kind", "files"}, "unexpected argument: --kind"},
        {edit + QStringList{"--volume", "/dev/sdb1"}, "unexpected argument: --volume"},
        {edit, "nothing to change"},
    };
    runSteps("Docs", steps);

    EXPECT_EQ(RunCli({"edit", "Nobody", "--no-schedule"}).code, CliApp::kUsage);
    EXPECT_TRUE(RunCli({"edit", "Nobody", "--no-schedule"}).err.contains("no job named \"Nobody\""));
}

TEST_F(CliEditTest, DriveImageJobOptionsAndTheirChecks)
{
    const QStringList edit = {"edit", "Disk"};
    const QList<TStep> steps = {
        {{"create", "Disk", "--kind", "image", "--volume", "/dev/sdb1", "--dest", work + "/usb",
          "--days-of-month", "31", "--at", "01:00:00", "--no-run-missed"},
         [](const QJsonObject& job, const QJsonObject& s) {
             EXPECT_EQ(s["type"], "days_of_month");
             EXPECT_EQ(strings(s["days_of_month"]), QStringList({"31"}));
             EXPECT_FALSE(s["run_missed_start"].toBool());
             EXPECT_FALSE(s["next_start"].toString().isEmpty());
             EXPECT_FALSE(job["autoclean"].toBool());
         }},
        {edit + QStringList{"--days-of-month", "15", "--at", "01:00:00", "--at", "01:00:00"},
         "Record already exists"},
        {edit + QStringList{"--keep-versions", "0"}, "--keep-versions takes a number of 1 or more"},
        {edit + QStringList{"--source", work}, "unexpected argument: --source"},
        {edit + QStringList{"--volume", "/dev/sdc1", "--volume", "/dev/sdc2", "--keep-versions", "4",
                            "--days-of-week", "sat,sun", "--shutdown-at-end"},
         [](const QJsonObject& job, const QJsonObject& s) {
             EXPECT_EQ(strings(job["volumes"]), QStringList({"/dev/sdc1", "/dev/sdc2"}));
             EXPECT_TRUE(job["autoclean"].toBool());
             EXPECT_EQ(job["keep_versions"], "4");
             EXPECT_EQ(s["type"], "days_of_week");
             EXPECT_EQ(strings(s["days_of_week"]), QStringList({"6", "7"}));
             EXPECT_EQ(strings(s["timetable"]), QStringList({"01:00:00"}));
             EXPECT_TRUE(s["shutdown_at_end"].toBool());
         }},
        {edit + QStringList{"--no-keep-versions", "--no-schedule"},
         [](const QJsonObject& job, const QJsonObject& s) {
             EXPECT_FALSE(job["autoclean"].toBool());
             EXPECT_EQ(s["type"], "disabled");
         }},
    };
    runSteps("Disk", steps);
}

TEST_F(CliEditTest, AChangeWhileTheJobRunsIsRefused)
{
    ASSERT_EQ(RunCli({"create", "Docs", "--source", work + "/docs", "--dest", work + "/usb"}).code,
              CliApp::kOk);
    const QByteArray before = readFile(LocalJobFilePath("Docs"));
    {
        // A run of the job, in this or another process, holds its run lock.
        TJobRunLock run(FoldJobName("Docs"));
        ASSERT_TRUE(run.tryLock());
        const CliRun refused = RunCli({"edit", "docs", "--days-of-week", "mon", "--at", "09:00:00"});
        EXPECT_EQ(refused.code, CliApp::kCancelled);
        EXPECT_TRUE(
            refused.err.contains("Docs: Job is currently running.\nUnable to complete the action at the "
                                 "moment. Please try again in several seconds."))
            << refused.err.toStdString();
        EXPECT_EQ(readFile(LocalJobFilePath("Docs")), before);
    }
    const CliRun edited = RunCli({"edit", "docs", "--days-of-week", "mon", "--at", "09:00:00"});
    EXPECT_EQ(edited.code, CliApp::kOk) << edited.err.toStdString();
    EXPECT_EQ(edited.out, "Job \"Docs\" is changed.\n");
    EXPECT_EQ(showJson("Docs")["schedule"].toObject()["type"], "days_of_week");
}

} // namespace
