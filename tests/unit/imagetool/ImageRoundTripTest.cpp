#include "imagetool/ImageFormat.h"
#include "imagetool/VolumeImager.h"
#include "imagetool/VolumeRestorer.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype MiB = 1 << 20;

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    for (qsizetype i = size / 4 * 4; i < size; ++i)
        bytes[i] = char(generator.generate());
    return bytes;
}

struct TLayout
{
    const char* Name;
    QByteArray (*Make)();
    bool Dense; // zero blocks written as bytes rather than left as holes
};

QByteArray emptyVolume()
{
    return {};
}
QByteArray zeroVolume()
{
    return QByteArray(9 * MiB, '\0');
}
QByteArray sparseVolume()
{
    QByteArray volume(12 * MiB, '\0');
    volume.replace(0, 5, "hello");
    volume.replace(4 * MiB - 10, 20, "crosses-a-chunk-edge"); // data on both sides of a chunk boundary
    volume.replace(9 * MiB, 64 * 1024, randomBytes(64 * 1024, 1));
    volume[12 * MiB - 1] = 'z';
    return volume;
}
QByteArray randomVolume()
{
    return randomBytes(5 * MiB + 123, 2); // ends inside a block
}
QByteArray alternatingBlocks()
{
    // Data and zero blocks alternate: every zero block is the smallest gap the packing can use.
    QByteArray volume(2 * MiB, '\0');
    for (qsizetype at = 0; at < volume.size(); at += 8192)
        volume.replace(at, 4096, randomBytes(4096, quint32(at)));
    return volume;
}

const TLayout kLayouts[] = {
    {"empty", emptyVolume, true},
    {"zeros", zeroVolume, true},
    {"sparse", sparseVolume, false},
    {"random", randomVolume, true},
    {"alternating", alternatingBlocks, false},
};

// Writes the volume; non-dense layouts leave their zero blocks as holes.
void writeVolume(const QString& path, const QByteArray& content, bool dense)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (qsizetype at = 0; at < content.size(); at += ImageFormat::kBlockSize) {
        const QByteArray block = content.mid(at, ImageFormat::kBlockSize);
        if (!dense && ImageFormat::IsZeroBlock(block.constData(), std::size_t(block.size())))
            continue;
        file.seek(at);
        file.write(block);
    }
    file.resize(content.size());
}

quint64 nonZeroBytes(const QByteArray& content)
{
    quint64 count = 0;
    for (qsizetype at = 0; at < content.size(); at += ImageFormat::kBlockSize) {
        const qsizetype size = std::min<qsizetype>(ImageFormat::kBlockSize, content.size() - at);
        if (!ImageFormat::IsZeroBlock(content.constData() + at, std::size_t(size)))
            count += quint64(size);
    }
    return count;
}

TImagingResult imageFile(const QString& volume, const QString& image, int workers)
{
    const int fd = ::open(QFile::encodeName(volume).constData(), O_RDONLY);
    struct stat info;
    ::fstat(fd, &info);
    TVolumeImager imager(fd, quint64(info.st_size), true);
    imager.CompressionWorkers = workers;
    const TImagingResult result = imager.Run(image);
    ::close(fd);
    return result;
}

TRestoreResult restoreToFile(const QString& image, const QString& target, quint64 size,
                             const QByteArray& sha256)
{
    TVolumeRestorer restorer(image);
    const TRestoreResult verified = restorer.Verify(sha256);
    if (verified.Status != TRestoreStatus::rsDone)
        return verified;
    const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::ftruncate(fd, off_t(size));
    const TRestoreResult written = restorer.Write(fd, false, sha256);
    ::close(fd);
    return written;
}

class ImageRoundTrip : public testing::TestWithParam<std::tuple<TLayout, int>>
{
};

TEST_P(ImageRoundTrip, RestoresEveryByteStoresOnlyDataAndWritesHoles)
{
    const auto [layout, workers] = GetParam();
    const QString folder = TestEnvironment::makeFolder(layout.Name);
    const QByteArray content = layout.Make();
    writeVolume(folder + "/volume.raw", content, layout.Dense);

    const TImagingResult imaged = imageFile(folder + "/volume.raw", folder + "/volume.img", workers);
    ASSERT_EQ(imaged.Status, TImagingStatus::isDone) << imaged.Message.toStdString();
    EXPECT_EQ(imaged.Size, quint64(content.size()));
    EXPECT_EQ(imaged.Sha256, QCryptographicHash::hash(content, QCryptographicHash::Sha256));
    EXPECT_EQ(imaged.DataBytes, nonZeroBytes(content));
    EXPECT_EQ(imaged.StoredBytes, quint64(QFileInfo(folder + "/volume.img").size()));
    EXPECT_LT(imaged.StoredBytes, imaged.DataBytes + 64 * 1024);

    const TRestoreResult restored =
        restoreToFile(folder + "/volume.img", folder + "/restored.raw", imaged.Size, imaged.Sha256);
    ASSERT_EQ(restored.Status, TRestoreStatus::rsDone) << restored.Message.toStdString();
    EXPECT_TRUE(TestEnvironment::readFile(folder + "/restored.raw") == content);
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(folder + "/restored.raw").constData(), &info), 0);
    EXPECT_LE(quint64(info.st_blocks) * 512, imaged.DataBytes + 64 * 1024) << "zero blocks must stay holes";
}

INSTANTIATE_TEST_SUITE_P(Layouts, ImageRoundTrip,
                         testing::Combine(testing::ValuesIn(kLayouts), testing::Values(0, 3)),
                         [](const testing::TestParamInfo<ImageRoundTrip::ParamType>& info) {
                             return std::string(std::get<0>(info.param).Name) + "_workers" +
                                    std::to_string(std::get<1>(info.param));
                         });

class ImageDamage : public testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnvironment::makeFolder("damage");
        content = sparseVolume();
        writeVolume(folder + "/volume.raw", content, false);
        imaged = imageFile(folder + "/volume.raw", folder + "/volume.img", 2);
        ASSERT_EQ(imaged.Status, TImagingStatus::isDone);
        image = TestEnvironment::readFile(folder + "/volume.img");
    }

    TRestoreResult verify(const QByteArray& bytes, const QByteArray& sha256)
    {
        TestEnvironment::writeFile(folder + "/changed.img", bytes);
        return TVolumeRestorer(folder + "/changed.img").Verify(sha256);
    }

    QString folder;
    QByteArray content;
    QByteArray image;
    TImagingResult imaged;
};

TEST_F(ImageDamage, AChangedByteATruncationOrAWrongDigestIsCaught)
{
    QByteArray flipped = image;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x20);
    EXPECT_NE(verify(flipped, imaged.Sha256).Status, TRestoreStatus::rsDone);

    EXPECT_EQ(verify(image.left(image.size() - 10), imaged.Sha256).Status, TRestoreStatus::rsImageDamaged);
    EXPECT_EQ(verify(image.left(ImageFormat::kHeaderSize), imaged.Sha256).Status,
              TRestoreStatus::rsImageDamaged);
    EXPECT_EQ(verify(image + "extra", imaged.Sha256).Status, TRestoreStatus::rsImageDamaged);
    EXPECT_EQ(verify(QByteArray("not an image at all, not even close to one.........................."),
                     imaged.Sha256)
                  .Status,
              TRestoreStatus::rsImageDamaged);

    QByteArray otherDigest = imaged.Sha256;
    otherDigest[0] = char(otherDigest[0] ^ 1);
    const TRestoreResult mismatch = verify(image, otherDigest);
    EXPECT_EQ(mismatch.Status, TRestoreStatus::rsChecksumMismatch);
    EXPECT_TRUE(mismatch.Message.contains(QString::fromLatin1(imaged.Sha256.toHex())));
}

TEST(VolumeImager, AStopRequestOrAnUnwritableImageLeavesNoFile)
{
    const QString folder = TestEnvironment::makeFolder("stop");
    writeVolume(folder + "/volume.raw", randomVolume(), true);
    const int fd = ::open(QFile::encodeName(folder + "/volume.raw").constData(), O_RDONLY);
    TVolumeImager imager(fd, quint64(QFileInfo(folder + "/volume.raw").size()), true);
    imager.CompressionWorkers = 2;
    int progressCalls = 0;
    imager.OnProgress = [&](quint64, quint64) { ++progressCalls; };
    imager.StopRequested = [&] { return progressCalls > 0; };
    EXPECT_EQ(imager.Run(folder + "/volume.img").Status, TImagingStatus::isStopped);
    EXPECT_FALSE(QFileInfo::exists(folder + "/volume.img"));

    imager.StopRequested = {};
    const TImagingResult missingFolder = imager.Run(folder + "/no/such/folder/volume.img");
    EXPECT_EQ(missingFolder.Status, TImagingStatus::isWriteError);
    EXPECT_EQ(missingFolder.Errno, ENOENT);
    ::close(fd);
}

} // namespace
