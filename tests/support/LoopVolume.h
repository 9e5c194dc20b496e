#pragma once
// A small file-backed volume for a test: an image file formatted with a file system and a label, mounted
// through a loop device (mounting needs root rights) and let go again at the end.
#include <QString>

class LoopVolume
{
public:
    // Creates `imageFile` of `megabytes`, formats it as ext4 labelled `label` and mounts it at `point`
    // (created when missing), read-only when asked.
    LoopVolume(const QString& imageFile, const QString& point, const QString& label, bool readOnly = false,
               int megabytes = 8);
    ~LoopVolume();
    LoopVolume(const LoopVolume&) = delete;
    LoopVolume& operator=(const LoopVolume&) = delete;

    bool mounted() const { return isMounted; }
    QString errorText() const { return error; }
    QString mountPoint() const { return point; }
    // The loop device that backs the mount, e.g. /dev/loop3.
    QString device() const { return loopDevice; }

private:
    QString point;
    QString loopDevice;
    QString error;
    bool isMounted = false;
};
