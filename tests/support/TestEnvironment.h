#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>

namespace TestEnvironment {
// Creates a fresh private folder (in `parent`, by default the build's test-work folder) and points HOME,
// XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR and TMPDIR into it.
void setUpProcess(const QString& parent = QString());
void tearDownProcess();
// The process's private root folder.
QString root();
// A new empty folder below the root, named after `hint`.
QString makeFolder(const QString& hint);
// Writes `content` to `path`, creating parent folders.
void writeFile(const QString& path, const QByteArray& content);
QByteArray readFile(const QString& path);
// Everything below `folder`: relative path -> content, folders with a trailing "/" and no content.
QMap<QString, QByteArray> treeContents(const QString& folder);
// Every file below `folder` (relative path -> content), hidden ones too; links are read through.
QMap<QString, QByteArray> filesBelow(const QString& folder);
// Polls `condition` every 10 ms until it holds or `timeoutMs` passed; returns its last value.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 30000);
} // namespace TestEnvironment
