#include "tool_p.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// Source text to translations (one, or one per plural form), for the finished ones of a catalogue.
QMap<QString, QStringList> readCatalogue(const QString &path, bool finishedOnly)
{
    QMap<QString, QStringList> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader reader(&file);
    QString source;
    QStringList forms;
    bool plural = false;
    bool finished = false;
    const auto keep = [&](const QStringList &translations) {
        if (!finishedOnly || (finished && !translations.contains(QString())))
            messages.insert(source, translations);
    };
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == "translation")
            keep(forms); // of a plural message
        if (!reader.isStartElement())
            continue;
        if (reader.name() == "message") {
            plural = reader.attributes().value("numerus") == "yes";
        } else if (reader.name() == "source") {
            source = reader.readElementText();
        } else if (reader.name() == "translation") {
            finished = reader.attributes().value("type").isEmpty();
            forms.clear();
            if (!plural)
                keep({reader.readElementText()});
        } else if (reader.name() == "numerusform") {
            forms.append(reader.readElementText());
        }
    }
    return messages;
}

} // namespace

// The texts lupdate finds in the library's and in the tool's sources, each against its catalogue: every
// one translated and finished, its placeholders kept, a text of many lines within 90 columns.
TEST(Translation, EveryTextHasAFinishedTranslation)
{
    const struct
    {
        const char *sources;
        const char *catalogue;
    } cases[] = {
        {"src/dorvellxsd", "translations/dorvellxsd_en.ts"},
        {"tools/xsdexchange", "translations/xsdexchange_ru.ts"},
    };
    for (const auto &expected : cases) {
        SCOPED_TRACE(expected.catalogue);
        QTemporaryDir folder;
        const QString extracted = folder.filePath("extracted.ts");
        QProcess lupdate;
        lupdate.start(QStringLiteral(DORVELLXSD_LUPDATE),
            {"-silent", "-recursive", DORVELLXSD_SOURCE_DIR "/" + QString(expected.sources), "-ts", extracted});
        ASSERT_TRUE(lupdate.waitForFinished(120000));
        ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

        const QMap<QString, QStringList> messages = readCatalogue(extracted, false);
        const QMap<QString, QStringList> translated =
            readCatalogue(DORVELLXSD_SOURCE_DIR "/" + QString(expected.catalogue), true);
        ASSERT_GE(messages.size(), 15) << "the messages were not found";
        for (auto it = messages.cbegin(); it != messages.cend(); ++it)
            EXPECT_TRUE(translated.contains(it.key())) << "no translation for: " << it.key().toStdString();
        for (auto it = translated.cbegin(); it != translated.cend(); ++it) {
            EXPECT_TRUE(messages.contains(it.key())) << "translated but no longer used: " << it.key().toStdString();
            for (const QString &translation : it.value()) {
                EXPECT_EQ(it.key().count('%'), translation.count('%')) << it.key().toStdString();
                for (const QString &line : translation.split('\n'))
                    EXPECT_TRUE(!translation.contains('\n') || line.size() <= 90) << line.toStdString();
            }
        }
    }
}

// The library's messages, the tool's own texts and those of Qt's command-line parser follow the locale or
// --lang alike; no text of either language slips into the other.
TEST(Translation, TheToolShowsTheMessagesInTheUsersLanguage)
{
    const QString missing = "/nonexistent/схема.xsd";
    const QString russian = "xsdexchange tables: Не могу открыть файл " + missing + QLatin1Char('\n');
    const QString english = "xsdexchange tables: Cannot open file " + missing + QLatin1Char('\n');

    EXPECT_EQ(runTool({"tables", missing}, "C.UTF-8").errors, english);
    EXPECT_EQ(runTool({"tables", missing}, "ru_RU.UTF-8").errors, russian);
    EXPECT_EQ(runTool({"--lang", "en", "tables", missing}, "ru_RU.UTF-8").errors, english);
    EXPECT_EQ(runTool({"tables", missing, "--lang=ru"}).errors, russian);
    EXPECT_EQ(runTool({"--lang", "ru", "import", "--append", "--overwrite", "a.gml", "b.gpkg"}).errors,
        "xsdexchange import: --append и --overwrite исключают друг друга\nСправка: «xsdexchange import --help».\n");

    // Two lowercase Latin words in a row that are no option and no command of the tool's.
    const QRegularExpression englishWords("(?<![-\\w.])(?!xsdexchange )[a-z]+ [a-z]+\\b");
    const QRegularExpression cyrillic("[\\x{0400}-\\x{04FF}]");
    QList<QStringList> runs = {{"--help"}, {"export", "--no-such-option", "a", "b", "c"}, {"frobnicate"}};
    for (const QString &command : ToolCommands)
        runs.append({command, "--help"});
    for (const QStringList &arguments : runs) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const ToolRun inRussian = runTool(arguments, "ru_RU.UTF-8");
        const QString russianText = inRussian.output + inRussian.errors;
        EXPECT_FALSE(russianText.isEmpty());
        EXPECT_FALSE(englishWords.match(russianText).hasMatch()) << russianText.toStdString();
        const ToolRun inEnglish = runTool(arguments, "C.UTF-8");
        EXPECT_FALSE(cyrillic.match(inEnglish.output + inEnglish.errors).hasMatch())
            << (inEnglish.output + inEnglish.errors).toStdString();
    }
}
