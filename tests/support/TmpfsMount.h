#pragma once
// A small RAM file system mounted for a test (mounting needs root rights) and let go again at the end.
#include <QString>

class TmpfsMount
{
public:
    // Mounts a tmpfs whose source is named `source` at `point`, which is created when missing.
    TmpfsMount(const QString& point, const QString& source, int megabytes = 4);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool mounted() const { return isMounted; }
    // Unmounts now (lazily when it is busy); everything on it is gone.
    void unmount();
    // "major:minor" of the files on it.
    QString device() const { return deviceNumber; }

private:
    QString point;
    QString deviceNumber;
    bool isMounted = false;
};
