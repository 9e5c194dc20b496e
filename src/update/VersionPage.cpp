#include "update/VersionPage.h"

#include "base/Placeholders.h"
#include "i18n/Translate.h"

namespace {

QStringList Utf8Lines(const QByteArray& page)
{
    QString text = QString::fromUtf8(page);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace('\r', '\n');
    QStringList lines = text.split('\n');
    // A final line break ends the last line; it does not start another one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

std::optional<TVersionPage> ParseVersionPage(const QByteArray& page)
{
    const QStringList lines = Utf8Lines(page);
    if (lines.size() < 2)
        return std::nullopt;
    const QString& first = lines.at(0);
    const qsizetype slash = first.indexOf('/');
    if (slash < 0)
        return std::nullopt;
    TVersionPage version;
    const QString latest = first.left(slash).trimmed();
    bool latestOk = false;
    bool oldestOk = false;
    version.Latest = latest.toInt(&latestOk);
    version.Oldest = first.mid(slash + 1).trimmed().toInt(&oldestOk);
    if (!latestOk || !oldestOk)
        return std::nullopt;
    version.DisplayedVersion = latest.left(latest.size() - 1) + '.' + latest.right(1);
    version.InstallerFileName = lines.at(1);
    return version;
}

QStringList ParseChangesPage(const QByteArray& page)
{
    QStringList lines = Utf8Lines(page);
    lines.removeAll(QString());
    return lines;
}

TNewVersion EvaluateNewVersion(const TVersionPage& version, const QStringList& changes, int running)
{
    TNewVersion result;
    result.InstallerFileName = version.InstallerFileName;
    QString headline;
    if (version.Oldest > running) {
        result.MustUpdate = true;
        headline = Translate(QStringLiteral("This version of the software is out of date. You must download "
                                            "the current version %s to continue using the software."));
    } else if (version.Latest > running) {
        headline = Translate(QStringLiteral("The new version %s is available"));
    } else {
        return result;
    }
    result.Offered = true;
    result.Text = FillPlaceholders(headline, {version.DisplayedVersion}) + QStringLiteral("\n\n") +
                  Translate(QStringLiteral("What's new:")) + '\n';
    for (const QString& change : changes)
        result.Text += change + '\n';
    return result;
}
