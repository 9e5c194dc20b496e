#include "engine/BackupRunState.h"

void TBackupRunState::setPrevious(QStringList files, TStampList stamps, QStringList dirs)
{
    PreviousLocalFilesList.assign(std::move(files));
    PreviousLocalFilesTimeList = std::move(stamps);
    PreviousLocalDirsList.assign(std::move(dirs));
    PreviousFileSeen.assign(size_t(PreviousLocalFilesList.size()), false);
    PreviousDirSeen.assign(size_t(PreviousLocalDirsList.size()), false);
}

void TBackupRunState::clearPrevious()
{
    setPrevious({}, {}, {});
}

TFileStamp TBackupRunState::previousStamp(qsizetype index) const
{
    return index >= 0 && size_t(index) < PreviousLocalFilesTimeList.size()
               ? PreviousLocalFilesTimeList[size_t(index)]
               : kNoStamp;
}
