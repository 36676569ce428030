#include "gmltestsupport.h"

#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmak;
using namespace gmltest;

namespace {

const std::map<std::string, std::string> RootAttributes = {
    {"xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance"},
    {"xsi:schemaLocation", "urn:pelmak:exchange pelmak.xsd"},
    {"xmlns:gml", "http://www.opengis.net/gml"},
    {"xmlns", "urn:pelmak:exchange"},
};

const std::string DocumentNotStarted = "Документ не инициализирован";

XsdTableData parcels(const QList<XsdFeatureData> &features)
{
    return XsdTableData(table(QStringLiteral("Parcel"),
                              {plain("code"), plain("note", 0), plain("area"), geometry()}),
                        features);
}

XsdTableData oneParcel(int id, const QString &code)
{
    return parcels({feature(id, {code, QString(), QStringLiteral("1"), QString()})});
}

std::vector<std::string> gmlIds(const CheckedDocument &document)
{
    std::vector<std::string> ids;
    for (const CheckedFeature &feature : document.features)
        ids.push_back(feature.gmlId);
    return ids;
}

// The document's lines, the root's start tag left out: the order of its attributes is not fixed.
QStringList linesBesideTheRootTag(const QString &path)
{
    QStringList lines = QString::fromUtf8(fileContent(path)).split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.at(1).startsWith(QStringLiteral("<gml:FeatureCollection ")))
        lines.removeAt(1);
    return lines;
}

class XsdXmlWriterTest : public ::testing::Test
{
protected:
    QString path(const char *name) const { return QDir(folder.path()).filePath(QString::fromUtf8(name)); }
    QTemporaryDir folder;
    XsdXmlWriter writer;
};

} // namespace

TEST_F(XsdXmlWriterTest, SavesOnlyWhatWasStartedAndForgetsItAfterSaving)
{
    EXPECT_EQ(logicErrorOf([&] { writer.writeToFile(path("none.gml")); }), DocumentNotStarted);
    EXPECT_FALSE(QFile::exists(path("none.gml")));

    writer.writeTableData(parcels({})); // starts a document even without features
    writer.writeToFile(path("empty.gml"));
    const CheckedDocument empty = checkWithXerces(path("empty.gml"));
    ASSERT_EQ(empty.error, "");
    EXPECT_EQ(empty.version, "1.0");
    EXPECT_EQ(empty.encoding, "UTF-8");
    EXPECT_EQ(empty.rootName, "gml:FeatureCollection");
    EXPECT_EQ(empty.rootAttributes, RootAttributes);
    EXPECT_TRUE(empty.features.empty());

    EXPECT_EQ(logicErrorOf([&] { writer.writeToFile(path("again.gml")); }), DocumentNotStarted);

    writer.writeTableData(oneParcel(1, QStringLiteral("first")));
    writer.writeToFile(path("first.gml"));
    writer.writeTableData(oneParcel(2, QStringLiteral("second")));
    writer.writeToFile(path("second.gml"));
    EXPECT_EQ(gmlIds(checkWithXerces(path("second.gml"))), std::vector<std::string>{"Parcel.2"});
}

TEST_F(XsdXmlWriterTest, LaysOutMembersInWritingOrderWithIndentation)
{
    writer.writeTableData(parcels({
        feature(17, {QStringLiteral("77:17"), QString(), QString(),
                     QStringLiteral("<gml:Point><gml:pos>1 2</gml:pos></gml:Point>")}),
        feature(-3, {QStringLiteral("x"), QStringLiteral("n"), QStringLiteral("1.5"), QStringLiteral("1 2 3 4")}),
        feature(0, {QStringLiteral("y")}), // the missing values are written as empty
    }));
    writer.writeTableData(XsdTableData(table(QStringLiteral("Road"), {plain("name")}),
                                       {feature(2147483647, {QStringLiteral("A & B <C> \"D\"")})}));
    writer.writeToFile(path("layout.gml"));

    EXPECT_EQ(linesBesideTheRootTag(path("layout.gml")),
              QString::fromUtf8(R"(<?xml version="1.0" encoding="UTF-8"?>
 <gml:featureMember>
  <Parcel gml:id="Parcel.17">
   <code>77:17</code>
   <area></area>
   <gml:Point>
    <gml:pos>1 2</gml:pos>
   </gml:Point>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Parcel gml:id="Parcel.-3">
   <code>x</code>
   <note>n</note>
   <area>1.5</area>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Parcel gml:id="Parcel.0">
   <code>y</code>
   <area></area>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.2147483647">
   <name>A &amp; B &lt;C> "D"</name>
  </Road>
 </gml:featureMember>
</gml:FeatureCollection>
)").split(QLatin1Char('\n')));

    const CheckedDocument document = checkWithXerces(path("layout.gml"));
    ASSERT_EQ(document.error, "");
    EXPECT_EQ(document.rootAttributes, RootAttributes);
    EXPECT_EQ(gmlIds(document), (std::vector<std::string>{"Parcel.17", "Parcel.-3", "Parcel.0", "Road.2147483647"}));
}

TEST_F(XsdXmlWriterTest, StartDropsWhatWasWrittenBefore)
{
    writer.writeTableData(oneParcel(1, QStringLiteral("dropped")));
    writer.start();
    writer.writeTableData(oneParcel(2, QStringLiteral("kept")));
    writer.writeToFile(path("restarted.gml"));
    EXPECT_EQ(gmlIds(checkWithXerces(path("restarted.gml"))), std::vector<std::string>{"Parcel.2"});
}

TEST_F(XsdXmlWriterTest, RefusesNamesAndValuesThatXmlCannotCarry)
{
    writer.writeTableData(oneParcel(1, QStringLiteral("before")));

    const auto refusal = [&](const XsdElement &description, const XsdFeatureData &data) {
        return logicErrorOf([&] { writer.writeTableData(XsdTableData(description, {data})); });
    };
    const XsdFeatureData one = feature(5, {QStringLiteral("v")});
    EXPECT_EQ(refusal(table(QStringLiteral("1Parcel"), {plain("code")}), one),
              "Имя таблицы 1Parcel недопустимо в XML");
    EXPECT_EQ(refusal(table(QString(), {plain("code")}), one), "Имя таблицы  недопустимо в XML");
    EXPECT_EQ(refusal(table(QStringLiteral("Parcel"), {plain("the code")}), one),
              "Имя атрибута the code недопустимо в XML. Таблица Parcel");
    EXPECT_EQ(refusal(table(QStringLiteral("Parcel"), {plain("")}), one),
              "Имя атрибута  недопустимо в XML. Таблица Parcel");

    const std::string badValue = "Значение содержит символ, недопустимый в XML. Таблица Parcel. Объект 5. Атрибут code";
    for (const QString &value : {QStringLiteral("bell\a"), QString(QChar(0xD800)) + QStringLiteral("x"),
                                 QString(QChar(0xDC00)), QString(QChar(0xFFFE))}) {
        EXPECT_EQ(refusal(table(QStringLiteral("Parcel"), {plain("code")}), feature(5, {value})), badValue);
    }
    // A later feature's fault refuses the whole table data, its good features included.
    EXPECT_EQ(logicErrorOf([&] {
                  writer.writeTableData(parcels({feature(4, {QStringLiteral("good")}),
                                                 feature(5, {QStringLiteral("x"), QStringLiteral("\x1b")})}));
              }),
              "Значение содержит символ, недопустимый в XML. Таблица Parcel. Объект 5. Атрибут note");

    // Names that are never written, and characters outside the BMP, are fine.
    writer.writeTableData(XsdTableData(table(QStringLiteral("Участок"), {plain("не пишется", 0), plain("_a-b.c")}),
                                       {feature(3, {QString(), QString::fromUtf8("\xF0\x9F\x8C\xB2\t")})}));

    writer.writeToFile(path("refused.gml"));
    const CheckedDocument document = checkWithXerces(path("refused.gml"));
    ASSERT_EQ(document.error, "");
    EXPECT_EQ(gmlIds(document), (std::vector<std::string>{"Parcel.1", "Участок.3"}));
    EXPECT_EQ(document.features.back().childTexts, std::vector<std::string>{"\xF0\x9F\x8C\xB2\t"});
    EXPECT_FALSE(fileContent(path("refused.gml")).contains("good"));
}

TEST_F(XsdXmlWriterTest, KeepsTheDocumentWhenTheTargetCannotBeOpened)
{
    writer.writeTableData(oneParcel(1, QStringLiteral("kept")));
    writer.writeTableData(oneParcel(2, QStringLiteral("kept too")));

    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.gml")));
    for (const QString &target : {path("folder.gml"), path("missing/out.gml")}) {
        EXPECT_EQ(logicErrorOf([&] { writer.writeToFile(target); }),
                  "Не могу открыть файл " + target.toStdString() + " на запись");
    }
    EXPECT_TRUE(QFileInfo(path("folder.gml")).isDir());

    writer.writeToFile(path("saved.gml"));
    EXPECT_EQ(gmlIds(checkWithXerces(path("saved.gml"))), (std::vector<std::string>{"Parcel.1", "Parcel.2"}));
}

TEST_F(XsdXmlWriterTest, FullDiskLeavesTheEarlierFileAndKeepsTheDocument)
{
    const QString target = path("out.gml");
    const QString second = path("second.gml");
    writeFile(target, "earlier content");
    const QString bigValue(200000, QLatin1Char('v'));

    // The file size limit stands for a full disk; it must not reach the test runner itself.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t unlimited = limit.rlim_cur;
        limit.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &limit);

        int failures = 0;
        XsdXmlWriter full;
        full.writeTableData(oneParcel(1, bigValue));
        const std::string message = logicErrorOf([&] { full.writeToFile(target); });
        if (message.rfind("Не могу записать файл " + target.toStdString() + "\n", 0) != 0)
            failures |= 1;
        limit.rlim_cur = unlimited;
        setrlimit(RLIMIT_FSIZE, &limit);
        if (logicErrorOf([&] { full.writeToFile(second); }) != "(no std::logic_error thrown)")
            failures |= 2;
        _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no write error reported, 2: the kept document not saved";

    EXPECT_EQ(fileContent(target), QByteArray("earlier content"));
    const CheckedDocument saved = checkWithXerces(second);
    ASSERT_EQ(saved.error, "");
    ASSERT_EQ(saved.features.size(), 1u);
    EXPECT_EQ(saved.features.front().childTexts.front(), bigValue.toStdString());
    // The temporary file of the failed attempt is gone.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("out.gml"), QStringLiteral("second.gml")}));
}

TEST_F(XsdXmlWriterTest, FolderThatDisappearsWhileSavingLeavesTheEarlierFile)
{
    QDir top(folder.path());
    ASSERT_TRUE(top.mkdir(QStringLiteral("exchange")));
    const QString target = path("exchange/out.gml");
    writeFile(target, "earlier content");

    // Large enough that the save is still writing when the folder moves away: the move
    // follows the opening of the temporary file (named or unnamed) within microseconds.
    QList<XsdFeatureData> features;
    for (int i = 0; i < 200; ++i)
        features.append(feature(i, {QString(100000, QLatin1Char('v'))}));
    writer.writeTableData(parcels(features));

    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, path("exchange").toLocal8Bit().constData(), IN_CREATE | IN_OPEN), 0);
    std::thread mover([&] {
        pollfd event{watch, POLLIN, 0};
        if (poll(&event, 1, 60000) == 1) // the time-out only keeps a broken writer from hanging the test
            top.rename(QStringLiteral("exchange"), QStringLiteral("moved"));
    });
    const std::string message = logicErrorOf([&] { writer.writeToFile(target); });
    mover.join();
    ::close(watch);
    if (message == "(no std::logic_error thrown)" && QFile::exists(path("moved/out.gml"))
        && fileContent(path("moved/out.gml")) != "earlier content")
        GTEST_SKIP() << "the folder moved only after the save had finished";

    EXPECT_EQ(message.rfind("Не могу записать файл " + target.toStdString() + "\n", 0), 0u) << message;
    EXPECT_EQ(fileContent(path("moved/out.gml")), QByteArray("earlier content"));
    EXPECT_FALSE(QFile::exists(target));

    ASSERT_TRUE(top.mkdir(QStringLiteral("exchange")));
    writer.writeToFile(target); // the document was kept
    EXPECT_EQ(checkWithXerces(target).features.size(), 200u);
}

TEST_F(XsdXmlWriterTest, WritesIntoANamedPipeWithoutReplacingIt)
{
    const QString fifo = path("pipe.gml");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    // A reader that does not block lets the writer open the pipe; the small document fits the
    // pipe's buffer, so one thread does both ends.
    const int readEnd = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);

    writer.writeTableData(oneParcel(7, QStringLiteral("piped")));
    writer.writeToFile(fifo);

    QByteArray received;
    char buffer[4096];
    for (ssize_t n; (n = ::read(readEnd, buffer, sizeof buffer)) > 0;)
        received.append(buffer, static_cast<int>(n));
    ::close(readEnd);

    struct stat info {};
    ASSERT_EQ(stat(fifo.toLocal8Bit().constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(received.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gml:FeatureCollection "));
    EXPECT_TRUE(received.contains("<Parcel gml:id=\"Parcel.7\">"));
    EXPECT_TRUE(received.endsWith("</gml:FeatureCollection>\n"));
}
