#include "jobs/JobNames.h"

#include "i18n/Translate.h"

namespace {
bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// One path component on every storage this program writes to: local paths split at "/", network
// paths also at "\".
bool isSingleComponent(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains('/') && !name.contains('\\') && !name.contains(QChar(0));
}
} // namespace

QString FoldJobName(const QString& name)
{
    QString folded = name;
    for (QChar& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

bool SameJobName(const QString& a, const QString& b)
{
    return a.size() == b.size() && FoldJobName(a) == FoldJobName(b);
}

TJobNameProblem JobNameProblem(const QString& name)
{
    if (name.isEmpty())
        return jnEmpty;
    static const QString forbidden = QStringLiteral("<>:\"/\\|?*");
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return jnSymbols;
    }
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return jnDotsOrControl;
    for (const QChar c : name) {
        if (isControl(c))
            return jnDotsOrControl;
    }
    if (name.front() == ' ' || name.back() == ' ')
        return jnOuterBlanks;
    return jnNone;
}

bool IsValidJobName(const QString& name)
{
    return JobNameProblem(name) == jnNone;
}

QString JobNameRefusalMessage(TJobNameProblem problem)
{
    switch (problem) {
    case jnSymbols:
        return Translate(QStringLiteral("The following symbols are not allowed in the title:")) +
               QStringLiteral("\r\n\r\n<>:\"/\\|?*");
    case jnDotsOrControl:
        return Translate(QStringLiteral("A job cannot be named \".\" or \"..\", and its name cannot contain "
                                        "control characters such as line breaks or tabs."));
    default:
        return QString();
    }
}

QString PrintableJobName(QString name)
{
    for (QChar& c : name) {
        if (isControl(c))
            c = '?';
    }
    return name;
}

QString JobNamedPath(const QString& folder, const QString& jobName, const QString& suffix)
{
    const QString component = jobName + suffix;
    if (folder.isEmpty() || !IsValidJobName(jobName) || !isSingleComponent(component))
        return QString();
    return folder.endsWith('/') ? folder + component : folder + '/' + component;
}
