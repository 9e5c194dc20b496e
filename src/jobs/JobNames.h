#pragma once
// Job names: what makes a name usable, the messages that refuse one, and the one join that turns a
// job name into a path below a folder.
#include <QString>

// Compared with ASCII letters folded to lower case (other letters as they are).
QString FoldJobName(const QString& name);
bool SameJobName(const QString& a, const QString& b);

enum TJobNameProblem
{
    jnNone,         // usable
    jnEmpty,        // empty
    jnOuterBlanks,  // a leading or trailing blank
    jnSymbols,      // one of < > : " / \ | ? *
    jnDotsOrControl // "." or "..", or a control character (below U+0020, U+007F)
};

// The one rule for job names, used wherever a name is made, read or turned into a path.
TJobNameProblem JobNameProblem(const QString& name);
bool IsValidJobName(const QString& name);
// The translated message for jnSymbols (the nine symbols after two line breaks) and for the "." / ".."
// and control-character cases; empty for the others, whose wording belongs to the caller.
QString JobNameRefusalMessage(TJobNameProblem problem);

// The name for a log or events line: control characters shown as "?", so that the line stays one line.
QString PrintableJobName(QString name);

// `folder`, one separator, then the job name followed by `suffix`: always a direct child of `folder`.
// Empty when the folder is empty, the name is not a valid job name or name and suffix do not make one
// path component; callers treat the empty result as an error and never use it as a path.
QString JobNamedPath(const QString& folder, const QString& jobName, const QString& suffix = QString());
