#include "ui/widgets/DriveList.h"

#include "base/ByteSize.h"
#include "i18n/Translate.h"

#include <QFileInfo>
#include <QHeaderView>

namespace {

enum TDriveColumn
{
    dcMountPoint,
    dcLabel,
    dcDevice,
    dcSize,
    dcFileSystem,
    dcCount
};

constexpr int kMountPointRole = Qt::UserRole;
constexpr int kConnectedRole = Qt::UserRole + 1;

// Mount points compare without their trailing "/" (the root stays "/").
QString withoutTrailingSlash(const QString& path)
{
    QString result = path.trimmed();
    while (result.size() > 1 && result.endsWith('/'))
        result.chop(1);
    return result;
}

QString notConnectedText()
{
    return Translate(QStringLiteral("not connected"));
}

} // namespace

QString DriveSizeText(const TBlockVolume& volume)
{
    QStringList parts;
    if (volume.Size > 0)
        parts.append(FormatByteSize(volume.Size));
    if (!volume.FileSystemType.isEmpty())
        parts.append(volume.FileSystemType);
    return parts.join(QStringLiteral(", "));
}

TDriveList::TDriveList(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(dcCount);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    // Long mount points keep their start and their end, which tells them apart.
    setTextElideMode(Qt::ElideMiddle);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setSectionResizeMode(dcMountPoint, QHeaderView::Stretch);
    SetCaptions();
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == dcMountPoint)
            Q_EMIT checkedDrivesChanged();
    });
}

void TDriveList::SetCaptions()
{
    setHeaderLabels({Translate(QStringLiteral("Drive")), Translate(QStringLiteral("Label")),
                     Translate(QStringLiteral("Device")), Translate(QStringLiteral("Size")),
                     Translate(QStringLiteral("File system"))});
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (!topLevelItem(i)->data(dcMountPoint, kConnectedRole).toBool())
            topLevelItem(i)->setText(dcDevice, notConnectedText());
}

void TDriveList::Refresh()
{
    SetVolumes(MountedBlockVolumes());
}

void TDriveList::SetVolumes(const QList<TBlockVolume>& volumes)
{
    QSignalBlocker blocker(this);
    clear();
    for (const TBlockVolume& volume : volumes)
        addDrive(volume, true);
    blocker.unblock();
    Q_EMIT checkedDrivesChanged();
}

QTreeWidgetItem* TDriveList::addDrive(const TBlockVolume& volume, bool connected)
{
    auto* item = new QTreeWidgetItem(this);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setText(dcMountPoint, volume.MountPoint);
    item->setToolTip(dcMountPoint, volume.MountPoint);
    item->setData(dcMountPoint, kMountPointRole, volume.MountPoint);
    item->setData(dcMountPoint, kConnectedRole, connected);
    item->setCheckState(dcMountPoint, Qt::Unchecked);
    item->setText(dcLabel, volume.Label);
    item->setText(dcDevice, connected ? volume.Device : notConnectedText());
    item->setText(dcSize, volume.Size > 0 ? FormatByteSize(volume.Size) : QString());
    item->setTextAlignment(dcSize, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(dcFileSystem, volume.FileSystemType);
    if (!connected)
        for (int column = 0; column < dcCount; ++column)
            item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
    return item;
}

void TDriveList::UncheckAll()
{
    for (int i = 0; i < topLevelItemCount(); ++i)
        topLevelItem(i)->setCheckState(dcMountPoint, Qt::Unchecked);
}

void TDriveList::CheckDrives(const QStringList& drives)
{
    for (const QString& drive : drives) {
        const QString wanted = withoutTrailingSlash(drive);
        if (wanted.isEmpty())
            continue;
        QTreeWidgetItem* found = nullptr;
        for (int i = 0; i < topLevelItemCount() && !found; ++i)
            if (withoutTrailingSlash(topLevelItem(i)->data(dcMountPoint, kMountPointRole).toString()) ==
                wanted)
                found = topLevelItem(i);
        if (!found) {
            TBlockVolume missing;
            missing.MountPoint = drive;
            found = addDrive(missing, false);
        }
        found->setCheckState(dcMountPoint, Qt::Checked);
    }
}

QStringList TDriveList::CheckedDrives() const
{
    QStringList drives;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->checkState(dcMountPoint) == Qt::Checked)
            drives.append(topLevelItem(i)->data(dcMountPoint, kMountPointRole).toString());
    return drives;
}

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    SetCaptions();
}

void TDriveComboBox::SetCaptions()
{
    setPlaceholderText(Translate(QStringLiteral("Choose a disk")));
}

void TDriveComboBox::Refresh()
{
    SetVolumes(MountedBlockVolumes());
}

void TDriveComboBox::SetVolumes(const QList<TBlockVolume>& volumes)
{
    clear();
    for (const TBlockVolume& volume : volumes) {
        if (volume.ReadOnly)
            continue;
        QString text = volume.MountPoint;
        const QString name = volume.Label.isEmpty() ? volume.Device : volume.Label;
        const QString details = DriveSizeText(volume);
        text += QStringLiteral("  —  ") + name;
        if (!details.isEmpty())
            text += QStringLiteral(" (") + details + ')';
        addItem(text, volume.MountPoint);
    }
    setCurrentIndex(-1);
}

void TDriveComboBox::ChooseDrive(const QString& path)
{
    const QString wanted = withoutTrailingSlash(path);
    if (wanted.isEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    for (int i = 0; i < count(); ++i)
        if (withoutTrailingSlash(itemData(i).toString()) == wanted) {
            setCurrentIndex(i);
            return;
        }
    // A folder on a mounted volume (a job made elsewhere may name one) is shown as it is.
    addItem(QFileInfo(path).isDir() ? path : path + QStringLiteral("  —  ") + notConnectedText(), path);
    setCurrentIndex(count() - 1);
}

void TDriveComboBox::showPopup()
{
    // Disks plugged in while the wizard is open show up; the choice stays.
    const QString chosen = ChosenDrive();
    Refresh();
    ChooseDrive(chosen);
    QComboBox::showPopup();
}

QString TDriveComboBox::ChosenDrive() const
{
    return currentIndex() < 0 ? QString() : currentData().toString();
}
