#pragma once
// The drive image side of zorvanbackup-cli's create and edit commands.
#include <QString>
#include <QStringList>

#include <optional>

class CliApp;
class TJob_DriveImage;

namespace CliImageCommands {

// True when the arguments of `create` ask for a drive image job ("--kind image").
bool IsImageCreate(const QStringList& args);
// create NAME --kind image --dest PATH --volume V [--volume V...] [--keep-versions N]
//        [--user U --password-file FILE]
// A destination in a network form (//server/share/..., smb://...) is a share; the password of its
// user is the first line of FILE ("-" for standard input), never a word of the command line.
int RunCreateImageJob(CliApp& app, const QStringList& args);

} // namespace CliImageCommands

// The options of a drive image job that `create` and `edit` share: the volumes (given together they
// replace the job's) and the number of versions to keep; `edit` also takes --no-keep-versions.
class TCliImageOptions
{
public:
    explicit TCliImageOptions(bool editing) : editing(editing) {}
    // Reads the option at args[i], moving i past its value. False when args[i] is not one of these
    // options; a usage error is reported by setting `problem`.
    bool take(const QStringList& args, qsizetype& i, QString& problem);
    bool volumesGiven() const { return volumes.has_value(); }
    // Writes what was given into `job`, changing nothing else.
    void apply(TJob_DriveImage& job) const;

private:
    bool editing;
    std::optional<QStringList> volumes;
    QString keepVersions; // null: not given
    bool noKeepVersions = false;
};
