#include "update/PackageSignature.h"
#include "support/SigningKey.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(PackageSignatureTest, OnlyTheSignatureOfTheSameBytesByTheSameKeyVerifies)
{
    const SigningKey key;
    const SigningKey other;
    const QString folder = TestEnvironment::makeFolder("signature");
    const QByteArray content = QByteArray(100000, 'p') + "end";
    const QString package = folder + "/update.deb";
    TestEnvironment::writeFile(package, content);
    const QByteArray good = key.sign(content);

    EXPECT_TRUE(PackageSignatureValid(package, good, key.publicKey()));
    EXPECT_FALSE(PackageSignatureValid(package, other.sign(content), key.publicKey()));
    EXPECT_FALSE(PackageSignatureValid(package, good, other.publicKey()));
    EXPECT_FALSE(PackageSignatureValid(package, key.sign(content + "x"), key.publicKey()));
    EXPECT_FALSE(PackageSignatureValid(package, good.left(63), key.publicKey()));
    EXPECT_FALSE(PackageSignatureValid(package, {}, key.publicKey()));
    EXPECT_FALSE(PackageSignatureValid(package, good, key.publicKey().left(31)));
    EXPECT_FALSE(PackageSignatureValid(folder + "/missing.deb", good, key.publicKey()));

    // One flipped byte in the package.
    QByteArray changed = content;
    changed[5000] = 'q';
    TestEnvironment::writeFile(package, changed);
    EXPECT_FALSE(PackageSignatureValid(package, good, key.publicKey()));

    // An empty file has a signature too.
    TestEnvironment::writeFile(package, {});
    EXPECT_TRUE(PackageSignatureValid(package, key.sign({}), key.publicKey()));
}

} // namespace
