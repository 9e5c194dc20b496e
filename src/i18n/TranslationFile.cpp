#include "i18n/TranslationFile.h"

#include "events/EventsLog.h"
#include "platform/StandardFolders.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

QString unescaped(QString line)
{
    return line.replace(QStringLiteral("\\r"), QStringLiteral("\r"))
        .replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

bool isLanguageCode(const QString& line)
{
    static const QRegularExpression code(QStringLiteral("^[A-Za-z]{2}$"));
    return code.match(line).hasMatch();
}

// Whether `lines` splits into `count` languages of equal size, each with a name, a two-letter code and
// at least one text, all following the first one's English texts.
bool splitsInto(const QStringList& lines, qsizetype count)
{
    if (lines.size() % count != 0)
        return false;
    const qsizetype size = lines.size() / count;
    if (size < 4 || size % 2 != 0)
        return false;
    for (qsizetype start = 0; start < lines.size(); start += size) {
        if (lines.at(start).trimmed().isEmpty() || !isLanguageCode(lines.at(start + 1).trimmed()))
            return false;
        for (qsizetype i = 2; i < size && start > 0; i += 2) {
            if (lines.at(start + i) != lines.at(i))
                return false;
        }
    }
    return true;
}

void refuse(const QString& path, const QString& reason)
{
    AddEvent(
        Translate(QStringLiteral("The translations file cannot be used, the program stays in English:")) +
        ' ' + path + QStringLiteral(" (") + reason + ')');
}

} // namespace

QString TranslationFilePath()
{
    return StandardFolders::programFolder() + QStringLiteral("/transl.dt");
}

bool LoadTranslationFile(const QString& path, TLanguageOptions& language)
{
    QFile file(path);
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(path, file.errorString());
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(file.readAll());
    if (decoder.hasError()) {
        refuse(path, Translate(QStringLiteral("not UTF-8 text")));
        return false;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    // The most languages the lines divide into: a single language's texts never repeat as a whole.
    qsizetype count = 0;
    for (qsizetype tried = lines.size() / 2; tried >= 1 && count == 0; --tried) {
        if (splitsInto(lines, tried))
            count = tried;
    }
    if (count == 0) {
        refuse(path, Translate(QStringLiteral("its lines do not make a language name, a two-letter code and "
                                              "pairs of texts and translations")));
        return false;
    }

    const qsizetype size = lines.size() / count;
    TLanguageOptions loaded;
    loaded.LanguageOfInterface = language.LanguageOfInterface;
    loaded.LanguageNames = {QStringLiteral("English")};
    loaded.LanguageCodes = {QStringLiteral("en")};
    loaded.Translations.append(QStringList());
    for (qsizetype i = 2; i < size; i += 2)
        loaded.Translations[0].append(unescaped(lines.at(i)));
    for (qsizetype start = 0; start < lines.size(); start += size) {
        loaded.LanguageNames.append(lines.at(start).trimmed());
        loaded.LanguageCodes.append(lines.at(start + 1).trimmed().toLower());
        QStringList translated;
        for (qsizetype i = start + 3; i < start + size; i += 2)
            translated.append(unescaped(lines.at(i)));
        loaded.Translations.append(translated);
    }
    SelectInterfaceLanguage(loaded);
    language = loaded;
    return true;
}

void SelectInterfaceLanguage(TLanguageOptions& language)
{
    const qsizetype index = language.LanguageCodes.indexOf(language.LanguageOfInterface.toLower());
    language.iLanguage = index > 0 && index < language.Translations.size() ? qint32(index) : 0;
}

void ChooseInterfaceLanguage(TLanguageOptions& language, qint32 index)
{
    if (index < 0 || index >= language.Translations.size() || index >= language.LanguageCodes.size())
        index = 0;
    language.iLanguage = index;
    language.LanguageOfInterface =
        index < language.LanguageCodes.size() ? language.LanguageCodes.at(index) : QStringLiteral("en");
}
