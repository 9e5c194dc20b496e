#include "app/core/CommandLine.h"

#include <QFileInfo>

TCommandLine::TCommandLine(const QStringList& parameters) : words(parameters) {}

TCommandLine TCommandLine::fromArguments(int argc, const char* const* argv)
{
    QStringList parameters;
    for (int i = 1; i < argc; ++i)
        parameters.append(QString::fromLocal8Bit(argv[i]));
    return TCommandLine(parameters);
}

bool TCommandLine::HasSwitch(const QString& name) const
{
    for (const QString& word : words) {
        if (word.size() == name.size() + 1 && (word.front() == '/' || word.front() == '-') &&
            QStringView(word).mid(1).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool TCommandLine::Backup() const
{
    return HasSwitch(QStringLiteral("backup"));
}

bool TCommandLine::Restore() const
{
    return HasSwitch(QStringLiteral("restore"));
}

bool TCommandLine::Remove() const
{
    return HasSwitch(QStringLiteral("remove"));
}

bool TCommandLine::Admin() const
{
    return HasSwitch(QStringLiteral("admin"));
}

bool TCommandLine::Hide() const
{
    return HasSwitch(QStringLiteral("hide"));
}

bool TCommandLine::IsElevatedInstance() const
{
    return Backup() || Restore() || Remove() || Admin();
}

QString TCommandLine::FirstParameter() const
{
    return words.value(0);
}

QString TCommandLine::SecondParameter() const
{
    return words.value(1);
}

QString TCommandLine::JobFileToImport() const
{
    const QString first = FirstParameter();
    return HasRemoteJobFileExtension(first) ? first : QString();
}

bool HasRemoteJobFileExtension(const QString& path)
{
    // The extension runs from the last dot of the file name (a dot in a folder name does not count).
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 && QStringView(name).mid(dot) == QLatin1String(".kxj");
}
