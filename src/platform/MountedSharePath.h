#pragma once
// Network folders chosen through the file system: a share mounted by the desktop (GVFS) or by the
// system (cifs) is shown as a local folder, while the program reaches shares by their network path.
#include <QString>

// "//server/share/dir" for a folder on a mounted network share; `path` unchanged for any other folder.
QString NetworkPathOfMountedFolder(const QString& path);
// Where the desktop mounts the network shares the user opened, or empty when there is no such folder.
QString MountedSharesFolder();
