// The translations file: languages read into the table, damaged files refused with an event, the
// shipped German file, and the template check that keeps the shipped template in step with the code.
#include "i18n/TranslationFile.h"
#include "events/EventsLog.h"
#include "i18n/RunLanguage.h"
#include "options/uOptions.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <thread>

namespace {

class TranslationFileTest : public testing::Test
{
protected:
    void SetUp() override { EventsQueue().takeAll(); }
    QString write(const QByteArray& content)
    {
        const QString path = folder.path() + QStringLiteral("/transl.dt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    }
    QTemporaryDir folder;
};

TEST_F(TranslationFileTest, ReadsEveryLanguageAndFollowsTheInterfaceCode)
{
    // Two filled templates one after the other; French leaves "Paused" untranslated, and a text
    // spanning lines is written with \n. CR LF line ends are accepted.
    const QString path =
        write("Deutsch\r\nde\r\nReady\r\nBereit\r\nPaused\r\nAngehalten\r\nLine one\\nLine two\r\n"
              "Zeile eins\\nZeile zwei\r\n"
              "Fran\xc3\xa7"
              "ais\r\nfr\r\nReady\r\nPr\xc3\xaat\r\nPaused\r\n\r\nLine one\\nLine two\r\n"
              "Ligne un\\nLigne deux\r\n");
    TLanguageOptions language;
    language.LanguageOfInterface = QStringLiteral("fr");
    ASSERT_TRUE(LoadTranslationFile(path, language));
    EXPECT_EQ(language.LanguageNames, QStringList({"English", "Deutsch", "Français"}));
    EXPECT_EQ(language.LanguageCodes, QStringList({"en", "de", "fr"}));
    ASSERT_EQ(language.Translations.size(), 3);
    for (const QStringList& texts : language.Translations)
        EXPECT_EQ(texts.size(), language.Translations.at(0).size());
    EXPECT_EQ(language.iLanguage, 2);
    EXPECT_EQ(TranslateWith(language, "Ready"), "Prêt");
    EXPECT_EQ(TranslateWith(language, "Paused"), "Paused"); // missing in French: English
    EXPECT_EQ(TranslateWith(language, "Line one\nLine two"), "Ligne un\nLigne deux");
    ChooseInterfaceLanguage(language, 1);
    EXPECT_EQ(language.LanguageOfInterface, "de");
    EXPECT_EQ(TranslateWith(language, "Paused"), "Angehalten");
    EXPECT_TRUE(EventsQueue().takeAll().isEmpty());

    // A code no language has, and English itself, leave the interface in English.
    for (const char* code : {"en", "ru", ""}) {
        language.LanguageOfInterface = QString::fromLatin1(code);
        SelectInterfaceLanguage(language);
        EXPECT_EQ(language.iLanguage, 0) << code;
    }
}

TEST_F(TranslationFileTest, TheFirstOfTwoEqualTextsWins)
{
    const QString path = write("Deutsch\nde\nCopy\nKopieren\nCopy\nKopie\n");
    TLanguageOptions language;
    language.LanguageOfInterface = QStringLiteral("de");
    ASSERT_TRUE(LoadTranslationFile(path, language));
    EXPECT_EQ(TranslateWith(language, "Copy"), "Kopieren");
}

TEST_F(TranslationFileTest, DamagedOrForeignFilesAreRefusedAndEnglishStays)
{
    const struct
    {
        const char* what;
        QByteArray content;
    } cases[] = {
        {"a line missing", "Deutsch\nde\nReady\nBereit\nPaused\n"},
        {"a line missing in the second language",
         "Deutsch\nde\nReady\nBereit\nPaused\nAngehalten\nSvenska\nsv\nReady\nKlar\nPaused\n"},
        {"no language code", "Deutsch\nGerman\nReady\nBereit\n"},
        {"not UTF-8", "Deutsch\nde\nReady\nBer\xe9it\n"},
        {"a foreign text file", "[Desktop Entry]\nType=Application\nName=Something\n"},
    };
    for (const auto& c : cases) {
        TLanguageOptions language;
        language.LanguageOfInterface = QStringLiteral("de");
        EXPECT_FALSE(LoadTranslationFile(write(c.content), language)) << c.what;
        EXPECT_TRUE(language.Translations.isEmpty()) << c.what;
        EXPECT_EQ(language.iLanguage, 0) << c.what;
        EXPECT_EQ(TranslateWith(language, "Ready"), "Ready") << c.what;
        const QStringList events = EventsQueue().takeAll();
        ASSERT_EQ(events.size(), 1) << c.what;
        EXPECT_TRUE(events.at(0).contains("The translations file cannot be used")) << c.what;
    }
    // No file at all is no fault: nothing to say.
    TLanguageOptions language;
    EXPECT_FALSE(LoadTranslationFile(folder.path() + "/missing.dt", language));
    EXPECT_TRUE(EventsQueue().takeAll().isEmpty());
}

TEST_F(TranslationFileTest, TheShippedGermanKeepsEveryPlaceholderInOrder)
{
    TLanguageOptions language;
    language.LanguageOfInterface = QStringLiteral("de");
    ASSERT_TRUE(LoadTranslationFile(QStringLiteral(ZORVAN_BIN_DIR "/transl.dt"), language));
    ASSERT_EQ(language.iLanguage, 1);
    EXPECT_EQ(language.LanguageNames.at(1), "Deutsch");
    const QRegularExpression placeholder(QStringLiteral("%[sd1-9]"));
    const auto placeholders = [&](const QString& text) {
        QStringList found;
        for (const QRegularExpressionMatch& match : placeholder.globalMatch(text))
            found.append(match.captured());
        return found;
    };
    const QStringList& english = language.Translations.at(0);
    const QStringList& german = language.Translations.at(1);
    for (qsizetype i = 0; i < english.size(); ++i) {
        EXPECT_FALSE(german.at(i).isEmpty()) << english.at(i).toStdString();
        EXPECT_EQ(placeholders(german.at(i)), placeholders(english.at(i))) << english.at(i).toStdString();
        // Escaped ampersands ("Save && Run") stay escaped, so no letter turns into a shortcut.
        EXPECT_EQ(german.at(i).count("&&"), english.at(i).count("&&")) << english.at(i).toStdString();
    }
}

TEST(RunLanguage, ARunThreadKeepsTheLanguageItStartedWith)
{
    GlobalOptions.Language = {};
    GlobalOptions.Language.Translations = {{"Ready"}, {"Bereit"}};
    GlobalOptions.Language.LanguageCodes = {"en", "de"};
    ChooseInterfaceLanguage(GlobalOptions.Language, 1);
    const TLanguageOptions runCopy = GlobalOptions.Language;
    // The user goes back to English while the run goes on.
    ChooseInterfaceLanguage(GlobalOptions.Language, 0);
    QString onTheRun, afterTheRun;
    std::thread([&] {
        {
            const TRunLanguageScope language(runCopy);
            onTheRun = Translate("Ready");
        }
        afterTheRun = Translate("Ready");
    }).join();
    EXPECT_EQ(onTheRun, "Bereit");
    EXPECT_EQ(afterTheRun, "Ready");
    EXPECT_EQ(Translate("Ready"), "Ready");
    GlobalOptions.Language = {};
}

// Runs the template script in check mode on `sources` (and the translations file, if given); returns its
// exit code, its output in `output`.
int checkTemplate(const QString& sources, const QString& templatePath, QString& output,
                  const QString& translations = QString())
{
    QStringList arguments = {QStringLiteral(ZORVAN_SOURCE_DIR "/scripts/translation-template.py"),
                             "--check",
                             "--src",
                             sources,
                             "--template",
                             templatePath};
    if (!translations.isEmpty())
        arguments << "--translations" << translations;
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral("python3"), arguments);
    if (!script.waitForFinished(60000))
        return -1;
    output = QString::fromUtf8(script.readAll());
    return script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
}

bool copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString target = to + '/' + entry.fileName();
        if (entry.isDir() ? !copyTree(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

TEST(TranslationTemplate, TheShippedTemplateFailsOnAPlantedUntranslatedText)
{
    const QString shipped = QStringLiteral(ZORVAN_SOURCE_DIR "/data/~transl.dt");
    QString output;
    // The shipped template holds every text of the code, and the shipped languages follow it.
    ASSERT_EQ(checkTemplate(QStringLiteral(ZORVAN_SOURCE_DIR "/src"), shipped, output,
                            QStringLiteral(ZORVAN_SOURCE_DIR "/data/transl.dt")),
              0)
        << output.toStdString();

    // A copy of the sources where one window gains a text through the lookup, and one through a
    // table it translates later.
    QTemporaryDir sources;
    ASSERT_TRUE(copyTree(QStringLiteral(ZORVAN_SOURCE_DIR "/src"), sources.path()));
    const QString window = sources.path() + "/ui/mainwindow/TfrmMainOstrinBackup.cpp";
    QFile file(window);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\nvoid plantedTexts()\n{\n    Translate(QStringLiteral(\"A text nobody has translated\"));\n"
               "    const char* const kPlanted[] = {\"Planted in a table\"};\n"
               "    Translate(QString::fromUtf8(kPlanted[0]));\n}\n");
    file.close();
    EXPECT_EQ(checkTemplate(sources.path(), shipped, output), 1);
    EXPECT_TRUE(output.contains("missing text: A text nobody has translated")) << output.toStdString();
    EXPECT_TRUE(output.contains("missing text: Planted in a table")) << output.toStdString();
}

} // namespace
