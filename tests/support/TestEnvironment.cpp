#include "support/TestEnvironment.h"
#include "support/MissingFacility.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {
std::unique_ptr<QTemporaryDir> rootDir;
std::atomic<int> folderCounter{0};
} // namespace

namespace TestEnvironment {

void setUpProcess(const QString& parent)
{
    const QString folder = parent.isEmpty() ? QStringLiteral(ZORVAN_TEST_WORK_DIR) : parent;
    QDir().mkpath(folder);
    rootDir = std::make_unique<QTemporaryDir>(folder + QStringLiteral("/run-XXXXXX"));
    if (!rootDir->isValid())
        throw std::runtime_error("cannot create the test folder");
    const QString base = rootDir->path();
    const struct
    {
        const char* name;
        const char* sub;
    } vars[] = {{"HOME", "home"},
                {"XDG_DATA_HOME", "home/.local/share"},
                {"XDG_CONFIG_HOME", "home/.config"},
                {"XDG_CACHE_HOME", "home/.cache"},
                {"XDG_RUNTIME_DIR", "runtime"},
                {"TMPDIR", "tmp"}};
    for (const auto& var : vars) {
        const QString path = base + '/' + var.sub;
        QDir().mkpath(path);
        qputenv(var.name, QFile::encodeName(path));
    }
    QFile::setPermissions(base + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("LANG", "C.UTF-8");
    // A program started by a test never asks the real update server: nothing listens on this port.
    qputenv("ZORVAN_UPDATE_SERVER", "http://127.0.0.1:9");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
}

void tearDownProcess()
{
    rootDir.reset();
}

QString root()
{
    return rootDir->path();
}

QString makeFolder(const QString& hint)
{
    const QString path = root() + "/work/" + hint + '-' + QString::number(++folderCounter);
    QDir().mkpath(path);
    return path;
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QMap<QString, QByteArray> filesBelow(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size() + 1), readFile(path));
    }
    return files;
}

QMap<QString, QByteArray> treeContents(const QString& folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(folder.size() + 1);
        if (it.fileInfo().isDir())
            tree[relative + '/'] = QByteArray();
        else
            tree[relative] = readFile(path);
    }
    return tree;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

bool missingFacilityFails()
{
    return qgetenv("CI") == "true";
}

} // namespace TestEnvironment
