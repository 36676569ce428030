#include "tool_p.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// Source text to translation, for the finished translations of a catalogue.
QMap<QString, QString> readCatalogue(const QString &path, bool finishedOnly)
{
    QMap<QString, QString> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader reader(&file);
    QString source;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == "source") {
            source = reader.readElementText();
        } else if (reader.name() == "translation") {
            const bool finished = reader.attributes().value("type").isEmpty();
            const QString translation = reader.readElementText();
            if (!finishedOnly || (finished && !translation.isEmpty()))
                messages.insert(source, translation);
        }
    }
    return messages;
}

const QString Catalogue = QStringLiteral(DORVELLXSD_SOURCE_DIR "/translations/dorvellxsd_en.ts");

} // namespace

TEST(Translation, EveryLibraryMessageHasAnEnglishTranslation)
{
    QTemporaryDir folder;
    const QString extracted = folder.filePath("extracted.ts");
    QProcess lupdate;
    lupdate.start(QStringLiteral(DORVELLXSD_LUPDATE),
        {"-silent", "-recursive", QStringLiteral(DORVELLXSD_SOURCE_DIR "/src/dorvellxsd"), "-ts", extracted});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    const QMap<QString, QString> messages = readCatalogue(extracted, false);
    const QMap<QString, QString> translated = readCatalogue(Catalogue, true);
    ASSERT_GE(messages.size(), 15) << "the library's messages were not found";
    for (auto it = messages.cbegin(); it != messages.cend(); ++it)
        EXPECT_TRUE(translated.contains(it.key())) << "no English for: " << it.key().toStdString();
    for (auto it = translated.cbegin(); it != translated.cend(); ++it) {
        EXPECT_TRUE(messages.contains(it.key())) << "translated but no longer used: " << it.key().toStdString();
        EXPECT_EQ(it.key().count('%'), it.value().count('%')) << it.key().toStdString();
    }
}

TEST(Translation, TheToolShowsTheMessagesInTheUsersLanguage)
{
    const QString missing = "/nonexistent/схема.xsd";
    const QString russian = "xsdexchange tables: Не могу открыть файл " + missing + QLatin1Char('\n');
    const QString english = "xsdexchange tables: Cannot open file " + missing + QLatin1Char('\n');

    EXPECT_EQ(runTool({"tables", missing}, "C.UTF-8").errors, english);
    EXPECT_EQ(runTool({"tables", missing}, "ru_RU.UTF-8").errors, russian);
    EXPECT_EQ(runTool({"--lang", "en", "tables", missing}, "ru_RU.UTF-8").errors, english);
    EXPECT_EQ(runTool({"tables", missing, "--lang=ru"}).errors, russian);
}
