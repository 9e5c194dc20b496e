// The check every catalog entry passes before a restore touches the output folder for it.
#include "engine/RestoreOutputFolder.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

using namespace TestEnvironment;

namespace {

class RestoreOutputFolderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        outside = makeFolder("outside");
        out = makeFolder("output");
        QDir().mkpath(out + "/Docs/sub");
        QDir().mkpath(out + "/Other");
        writeFile(outside + "/secret.txt", "secret");
        ASSERT_TRUE(QFile::link(outside, out + "/Docs/escape"));
        ASSERT_TRUE(QFile::link(outside + "/secret.txt", out + "/Docs/secret-link"));
        ASSERT_TRUE(QFile::link(out + "/Other", out + "/Docs/inside"));
        ASSERT_TRUE(QFile::link(out + "/Docs/escape", out + "/Docs/chain"));
        ASSERT_TRUE(QFile::link(out + "/nowhere", out + "/Docs/dangling"));
    }
    QString outside;
    QString out;
};

TEST_F(RestoreOutputFolderTest, EntriesBelowTheFolderPassAsCleanRelativePaths)
{
    const TRestoreOutputFolder folder(out);
    ASSERT_TRUE(folder.exists());
    const struct
    {
        QString entry;
        bool mayBeTheFolderItself;
        QString relative;
    } cases[] = {
        {"Docs/a.txt", false, "Docs/a.txt"},
        {"Docs//sub/./b.txt", false, "Docs/sub/b.txt"},
        {"new/deeper/c.txt", false, "new/deeper/c.txt"},
        {"Docs/inside/x.txt", false, "Docs/inside/x.txt"}, // a link that stays inside
        {"Docs/..x/y", false, "Docs/..x/y"},
        {"Dösjé/ü €.txt", false, "Dösjé/ü €.txt"},
        {"a\\..\\b", false, "a\\..\\b"}, // a backslash is an ordinary character here
        {"", true, ""},                  // a folder entry of a whole-file-system source
        {".", true, ""},
    };
    for (const auto& c : cases) {
        const std::optional<QString> relative = folder.relativePathOf(c.entry, c.mayBeTheFolderItself);
        ASSERT_TRUE(relative.has_value()) << c.entry.toStdString();
        EXPECT_EQ(*relative, c.relative) << c.entry.toStdString();
    }
}

TEST_F(RestoreOutputFolderTest, EscapesAndTheFolderItselfAreRefused)
{
    const TRestoreOutputFolder folder(out);
    const QString refused[] = {
        "/etc/passwd",
        outside + "/secret.txt",
        "../outside/secret.txt",
        "Docs/../../x",
        "Docs/sub/../..",
        "..",
        "//server/share/x",
        "\\\\server\\share\\x",
        "./\\\\server\\share\\x", // a network path once "." is dropped
        "smb://server/share/x",
        "SMB://server/share/x",
        QString("Docs/a") + QChar(0) + "b",
        "Docs/escape/secret.txt", // through a link to a folder outside
        "Docs/escape",            // the link itself leads out
        "Docs/secret-link",       // a link to a file outside
        "Docs/chain/x",           // a link to a link that leads out
        "Docs/dangling/x",        // a link that leads nowhere
        "",                       // the output folder itself, for a file
        "./",
        "Docs/..",
    };
    for (const QString& entry : refused)
        EXPECT_FALSE(folder.relativePathOf(entry, false).has_value()) << entry.toStdString();
    EXPECT_FALSE(folder.relativePathOf("Docs/escape/new", true).has_value());
    EXPECT_FALSE(folder.relativePathOf("..", true).has_value());
}

TEST_F(RestoreOutputFolderTest, OutputFolderReachedThroughALinkIsItsTarget)
{
    const QString link = root() + "/output-link";
    ASSERT_TRUE(QFile::link(out, link));
    const TRestoreOutputFolder folder(link);
    ASSERT_TRUE(folder.exists());
    EXPECT_EQ(folder.relativePathOf("Docs/inside/x", false), QString("Docs/inside/x"));
    EXPECT_FALSE(folder.relativePathOf("Docs/escape/x", false).has_value());

    EXPECT_FALSE(TRestoreOutputFolder(root() + "/missing").exists());
    EXPECT_FALSE(TRestoreOutputFolder(root() + "/missing").relativePathOf("a", false).has_value());
}

TEST(PrintableEntryTest, ControlCharactersCannotForgeLogLines)
{
    EXPECT_EQ(PrintableEntry("a\r\n12:00:00: ERROR: fake\tb"), "a??12:00:00: ERROR: fake?b");
    EXPECT_EQ(PrintableEntry("Dösjé/ü.txt"), "Dösjé/ü.txt");
}

} // namespace
