#include "support/TmpfsMount.h"

#include <QDir>
#include <QFile>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

TmpfsMount::TmpfsMount(const QString& point, const QString& source, int megabytes) : point(point)
{
    QDir().mkpath(point);
    const QByteArray options = "size=" + QByteArray::number(megabytes) + "m,mode=0777";
    const QByteArray where = QFile::encodeName(point);
    isMounted = ::mount(source.toUtf8().constData(), where.constData(), "tmpfs", 0, options.constData()) == 0;
    struct stat st;
    if (isMounted && ::stat(where.constData(), &st) == 0)
        deviceNumber = QString::number(major(st.st_dev)) + ':' + QString::number(minor(st.st_dev));
}

TmpfsMount::~TmpfsMount()
{
    unmount();
}

void TmpfsMount::unmount()
{
    if (!isMounted)
        return;
    const QByteArray where = QFile::encodeName(point);
    if (::umount2(where.constData(), 0) != 0)
        ::umount2(where.constData(), MNT_DETACH);
    isMounted = false;
}
