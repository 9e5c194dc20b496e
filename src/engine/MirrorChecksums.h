#pragma once
// The checksums file of a mirror after a run: the entries of the mirror's earlier file merged with the
// run's copies, in path order. The earlier file is read and the new one written as streams, so that
// no table of every stored path is held beside the run's lists.
#include "engine/BackupRunState.h"

#include <QString>

// `complete`: the run went to its end, so an earlier entry stays only for a file that LocalFilesList
// holds; otherwise (a cancelled run, whose removals are undone or unrecorded) every earlier entry stays.
// A copy replaces its path's earlier entry, or removes it when the copy has no checksum. A missing or
// unreadable earlier file counts as empty. False when the new file could not be written.
bool WriteMirrorChecksums(const QString& earlierFile, const QString& outputFile, const TBackupRunState& state,
                          bool complete);
