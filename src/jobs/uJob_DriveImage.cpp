#include "jobs/uJob_DriveImage.h"

TJob_DriveImage::TJob_DriveImage(const QString& name) : TJob(name)
{
    CanPause = false;
}
