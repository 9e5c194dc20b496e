#pragma once
// The computer's drives for a drive image job: a checkable list of the mounted volumes to image, and a
// drop-down to choose the volume the images go to. A drive is named by its mount point.
#include "platform/BlockVolumes.h"

#include <QComboBox>
#include <QStringList>
#include <QTreeWidget>

// "label (size, file system)" and the like: how a volume is described in both controls.
QString DriveSizeText(const TBlockVolume& volume);

// The mounted volumes with a check box each: mount point, label, device, size and file system.
class TDriveList : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TDriveList(QWidget* parent = nullptr);

    // Reads the mounted volumes again; no drive is checked afterwards.
    void Refresh();
    // Shows `volumes` instead of the system's.
    void SetVolumes(const QList<TBlockVolume>& volumes);
    void UncheckAll();
    // Checks the drives named in `drives`. A drive that is not mounted now is added, checked and
    // marked as not connected, so that a job keeps it when it is saved again.
    void CheckDrives(const QStringList& drives);
    // The checked drives' mount points, in list order.
    QStringList CheckedDrives() const;
    // The column headers in the interface language.
    void SetCaptions();

Q_SIGNALS:
    void checkedDrivesChanged();

private:
    QTreeWidgetItem* addDrive(const TBlockVolume& volume, bool connected);
};

// A drop-down of the mounted volumes that can be written to (removable ones included). Nothing is
// chosen after a refresh.
class TDriveComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    void Refresh();
    void SetVolumes(const QList<TBlockVolume>& volumes);
    // Chooses the drive mounted at `path`; a path that is not a mounted volume now is added as it is
    // (marked as not connected) and chosen, so that a job keeps it. An empty path chooses nothing.
    void ChooseDrive(const QString& path);
    // The chosen drive's mount point (or the kept path), or empty when none is chosen.
    QString ChosenDrive() const;
    void SetCaptions();

    // Reads the volumes again before the list opens.
    void showPopup() override;
};
