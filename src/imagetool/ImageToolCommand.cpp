#include "imagetool/ImageToolCommand.h"

#include <QHash>

namespace {

struct TVerbSpec
{
    const char* First;
    const char* Second;
    TToolVerb Verb;
    QStringList Options;  // names in lower case, with their value
    QStringList Switches; // names in lower case, without value
    QStringList Required;
};

const QList<TVerbSpec>& verbSpecs()
{
    static const QList<TVerbSpec> specs = {
        {"start",
         "backup",
         TToolVerb::tvStartBackup,
         {"backuptarget", "include", "user", "password"},
         {"allcritical", "quiet"},
         {"backuptarget"}},
        {"stop", "job", TToolVerb::tvStopJob, {}, {"quiet"}, {}},
        {"delete",
         "backup",
         TToolVerb::tvDeleteBackup,
         {"backuptarget", "keepversions", "user", "password"},
         {"quiet"},
         {"backuptarget", "keepversions"}},
        {"start",
         "recovery",
         TToolVerb::tvStartRecovery,
         {"version", "items", "backuptarget", "recoverytarget", "machine", "user", "password"},
         {"quiet"},
         {"version", "items", "backuptarget", "recoverytarget"}},
        {"get",
         "versions",
         TToolVerb::tvGetVersions,
         {"backuptarget", "machine", "user", "password"},
         {},
         {"backuptarget"}},
    };
    return specs;
}

// Joins arguments that a caller split inside a quoted value (-backupTarget:"/media/My Disk") and
// removes the quotes.
QStringList joinQuotedValues(const QStringList& arguments)
{
    QStringList joined;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        const qsizetype colon = argument.indexOf(':');
        if (argument.startsWith('-') && colon > 0) {
            QString value = argument.mid(colon + 1);
            if (value.startsWith('"')) {
                while ((value.size() < 2 || !value.endsWith('"')) && i + 1 < arguments.size())
                    value += ' ' + arguments[++i];
                value = value.mid(1);
                if (value.endsWith('"'))
                    value.chop(1);
            }
            argument = argument.left(colon + 1) + value;
        }
        joined.append(argument);
    }
    return joined;
}

QString trimmedTarget(QString path)
{
    while (path.size() > 1 && (path.endsWith('/') || path.endsWith('\\')))
        path.chop(1);
    return path;
}

} // namespace

bool IsNetworkTarget(const QString& target)
{
    return target.startsWith(QStringLiteral("//")) || target.startsWith(QStringLiteral("\\\\")) ||
           target.startsWith(QStringLiteral("smb://"), Qt::CaseInsensitive);
}

TCommandParseResult ParseImageToolCommand(const QStringList& rawArguments, const QString& environmentPassword)
{
    TCommandParseResult result;
    TImageToolCommand& command = result.Command;
    const QStringList arguments = joinQuotedValues(rawArguments);
    if (arguments.isEmpty() || arguments.first() == QStringLiteral("help") ||
        arguments.first() == QStringLiteral("--help") || arguments.first() == QStringLiteral("-h") ||
        arguments.first() == QStringLiteral("/?")) {
        command.Verb = TToolVerb::tvHelp;
        return result;
    }
    const TVerbSpec* spec = nullptr;
    for (const TVerbSpec& candidate : verbSpecs())
        if (arguments.size() >= 2 && arguments[0].compare(candidate.First, Qt::CaseInsensitive) == 0 &&
            arguments[1].compare(candidate.Second, Qt::CaseInsensitive) == 0)
            spec = &candidate;
    if (!spec) {
        result.Error = QStringLiteral("Unknown command \"%1\".").arg(arguments.mid(0, 2).join(' '));
        return result;
    }
    command.Verb = spec->Verb;

    QHash<QString, QString> values;
    for (const QString& argument : arguments.mid(2)) {
        if (!argument.startsWith('-')) {
            result.Error = QStringLiteral("Unexpected argument \"%1\".").arg(argument);
            return result;
        }
        const qsizetype colon = argument.indexOf(':');
        const QString name = argument.mid(1, colon < 0 ? -1 : colon - 1).toLower();
        const bool isOption = spec->Options.contains(name);
        if (!isOption && !spec->Switches.contains(name)) {
            result.Error =
                QStringLiteral("The option %1 is not valid for \"%2 %3\".")
                    .arg(argument.left(colon < 0 ? argument.size() : colon), spec->First, spec->Second);
            return result;
        }
        if (isOption != (colon >= 0)) {
            result.Error = isOption ? QStringLiteral("The option -%1 needs a value (-%1:<value>).").arg(name)
                                    : QStringLiteral("The option -%1 takes no value.").arg(name);
            return result;
        }
        if (values.contains(name)) {
            result.Error = QStringLiteral("The option -%1 is given more than once.").arg(name);
            return result;
        }
        values.insert(name, isOption ? argument.mid(colon + 1) : QString());
    }
    for (const QString& name : spec->Required)
        if (values.value(name).trimmed().isEmpty()) {
            result.Error = QStringLiteral("The option -%1 is missing.").arg(name);
            return result;
        }

    command.BackupTarget = trimmedTarget(values.value(QStringLiteral("backuptarget")).trimmed());
    for (const QString& item : values.value(QStringLiteral("include")).split(','))
        if (!item.trimmed().isEmpty() && !command.Include.contains(item.trimmed()))
            command.Include.append(item.trimmed());
    command.AllCritical = values.contains(QStringLiteral("allcritical"));
    command.Quiet = values.contains(QStringLiteral("quiet"));
    command.User = values.value(QStringLiteral("user"));
    command.Password = values.contains(QStringLiteral("password")) ? values.value(QStringLiteral("password"))
                                                                   : environmentPassword;
    command.Version = values.value(QStringLiteral("version")).trimmed();
    command.Items = values.value(QStringLiteral("items")).trimmed();
    command.RecoveryTarget = values.value(QStringLiteral("recoverytarget")).trimmed();
    command.Machine = values.value(QStringLiteral("machine")).trimmed();
    if (values.contains(QStringLiteral("keepversions"))) {
        bool ok = false;
        command.KeepVersions = values.value(QStringLiteral("keepversions")).trimmed().toInt(&ok);
        if (!ok || command.KeepVersions < 0) {
            result.Error =
                QStringLiteral("The number of versions to keep must be a whole number of 0 or more.");
            return result;
        }
    }
    if (command.Verb == TToolVerb::tvStartBackup && command.Include.isEmpty() && !command.AllCritical) {
        result.Error = QStringLiteral("Name the volumes to back up with -include: or -allCritical.");
        return result;
    }
    if (command.Items.contains(',')) {
        result.Error = QStringLiteral("Only one volume can be recovered at a time (-items:).");
        return result;
    }
    return result;
}
