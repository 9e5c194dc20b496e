#pragma once
// The program's command line. Switches stand anywhere with "/" or "-" in front, in any letter case,
// and only as whole words ("/backups" is not "/backup"). A switch that takes a job name is the first
// parameter and the name the second. A job file kept beside the backups (".kxj", compared as written)
// as the first parameter is imported.
#include <QString>
#include <QStringList>

class TCommandLine
{
public:
    TCommandLine() = default;
    // `parameters`: the words after the program's name.
    explicit TCommandLine(const QStringList& parameters);
    // From argv, whose first word is the program.
    static TCommandLine fromArguments(int argc, const char* const* argv);

    // Whether `name` is given as a switch: "/name" or "-name", letter case ignored.
    bool HasSwitch(const QString& name) const;

    bool Backup() const;
    bool Restore() const;
    bool Remove() const;
    bool Admin() const;
    bool Hide() const;
    // One of "backup", "restore", "remove" or "admin": a full instance even beside a running one.
    bool IsElevatedInstance() const;

    // The first and second parameters, or an empty text.
    QString FirstParameter() const;
    QString SecondParameter() const;
    // The job name of "backup", "restore" and "remove": always the second parameter.
    QString JobName() const { return SecondParameter(); }
    // The first parameter when its extension is exactly ".kxj", else an empty text.
    QString JobFileToImport() const;

    const QStringList& parameters() const { return words; }

private:
    QStringList words;
};

// Whether the file name of `path` ends in the extension ".kxj" exactly (letter case counts).
bool HasRemoteJobFileExtension(const QString& path);
