#include "gmltestsupport.h"

#include <QDir>

#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace gmltest;

namespace {

const std::string Root = "1.0 UTF-8 gml:FeatureCollection xmlns:gml=http://www.opengis.net/gml "
                         "xmlns:xsi=http://www.w3.org/2001/XMLSchema-instance xmlns=urn:pelmak:exchange "
                         "xsi:schemaLocation=urn:pelmak:exchange pelmak.xsd";

class Writer : public ::testing::Test {
protected:
    QString path(const char *name) const { return folder.filePath(name); }
    QTemporaryDir folder;
    XsdXmlWriter writer;
};

} // namespace

TEST_F(Writer, BuildsTheExactLayoutWithNothingOfWhatItRefused)
{
    EXPECT_EQ(logicErrorOf([&] { writer.writeToFile(path("none.gml")); }), "Документ не инициализирован");
    EXPECT_FALSE(QFile::exists(path("none.gml")));
    writer.writeTableData(tableData("Parcel", {"code"}, {{1, {"dropped"}}}));
    writer.start();
    // Missing values are written as empty, a geometry that is no XML not at all.
    writer.writeTableData(tableData("Parcel", {"code", "note?", "area", "Geometry"},
        {{17, {"77:17", "", "", "<gml:Point><gml:pos>1 2</gml:pos></gml:Point>"}}, {-3, {"x", "n"}}}));
    writer.writeTableData(tableData("Road", {"name", "Geometry"}, {{2147483647, {"A & B <C> \"D\"", "1 2 3 4"}}}));

    // Refused before anything is appended: names the reader's parser refuses (a colon not between prefix and
    // local part, characters only the fifth edition of XML 1.0 allows too), values XML cannot carry.
    const auto refusal = [&](const XsdTableData &data) { return logicErrorOf([&] { writer.writeTableData(data); }); };
    for (const char *name : {"1T", "", "a b", "a:b:c", "a:", ":a", "a:1", "\u0450", "x\uFFFD", "\U00010000"}) {
        EXPECT_EQ(
            refusal(tableData(name, {"a"}, {{5, {"v"}}})), "Имя таблицы " + std::string(name) + " недопустимо в XML");
        EXPECT_EQ(refusal(tableData("T", {name}, {{5, {"v"}}})),
            "Имя атрибута " + std::string(name) + " недопустимо в XML. Таблица T");
    }
    const std::string badValue = "Значение содержит символ, недопустимый в XML. Таблица T. Объект 5. Атрибут ";
    for (const QString &value :
        {QString("bell\a"), QChar(0xD800) + QString("x"), QString(QChar(0xDC00)), QString(QChar(0xFFFE))})
        EXPECT_EQ(refusal(tableData("T", {"a"}, {{5, {value}}})), badValue + "a");
    EXPECT_EQ(refusal(tableData("T", {"a", "b"}, {{4, {"good"}}, {5, {"x", "\x1b"}}})), badValue + "b");
    const std::string repeated = "Объект уже записан в документ, а его gml:id повторился бы. Таблица ";
    EXPECT_EQ(refusal(tableData("Parcel", {"code"}, {{5, {"x"}}, {-3, {"y"}}})), repeated + "Parcel. Объект -3");
    EXPECT_EQ(refusal(tableData("Road", {"name"}, {{6, {"x"}}, {6, {"y"}}})), repeated + "Road. Объект 6");
    // Names that are never written, and characters beyond the BMP, are fine.
    writer.writeTableData(tableData("Участок", {"не пишется?", "_a-b.c"}, {{3, {"", "🌲\t"}}}));

    // A named pipe, like a device, is written directly: a rename would put a regular file in its
    // place. The small document fits the pipe's buffer, so one thread does both ends.
    ASSERT_EQ(mkfifo(path("pipe.gml").toLocal8Bit().constData(), 0600), 0);
    const int readEnd = ::open(path("pipe.gml").toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    writer.writeToFile(path("pipe.gml"));
    QByteArray text(1 << 16, '\0');
    text.truncate(static_cast<int>(::read(readEnd, text.data(), text.size())));
    ::close(readEnd);
    EXPECT_TRUE(QFileInfo::exists(path("pipe.gml")) && !QFileInfo(path("pipe.gml")).isFile());
    // Attributes are sorted by name, so the text is the same in every process whatever Qt's hash seed.
    EXPECT_EQ(QString::fromUtf8(text).toStdString(),
        fileContent(DORVELLXSD_TEST_DATA_DIR "/gml/written-layout.gml").toStdString());

    EXPECT_EQ(logicErrorOf([&] { writer.writeToFile(path("again.gml")); }), "Документ не инициализирован");
    writer.writeTableData(tableData("Parcel", {"code"}, {})); // starts a document even without features
    writer.writeToFile(path("empty.gml"));
    EXPECT_EQ(xercesOutline(path("empty.gml")), std::vector<std::string> {Root});
}

TEST_F(Writer, FailedSavesKeepTheEarlierFileAndTheDocument)
{
    QDir top(folder.path());
    ASSERT_TRUE(top.mkdir("exchange"));
    const QString target = writeFile(path("exchange/out.gml"), "earlier");
    // Far beyond the file size limit below, and large enough that the save is still writing when the
    // folder moves away: the move follows the opening of the temporary file within microseconds.
    writer.writeTableData(tableData("Parcel", {"code"}, {{1, {QString(20000000, 'v')}}}));
    const auto isWriteError = [&](const std::string &message) {
        return message.rfind("Не могу записать файл " + target.toStdString() + "\n", 0) == 0;
    };

    EXPECT_TRUE(holdsWithFileSizeLimit(64 * 1024, [&] {
        return isWriteError(logicErrorOf([&] { writer.writeToFile(target); }));
    })) << "no write error reported";
    EXPECT_EQ(fileContent(target), "earlier");
    EXPECT_EQ(QDir(path("exchange")).entryList(QDir::Files), QStringList {"out.gml"}); // no temporary file left

    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, path("exchange").toLocal8Bit().constData(), IN_CREATE | IN_OPEN), 0);
    std::thread mover([&] {
        pollfd event {watch, POLLIN, 0};
        if (poll(&event, 1, 60000) == 1) // the time-out only keeps a broken writer from hanging the test
            top.rename("exchange", "moved");
    });
    const std::string message = logicErrorOf([&] { writer.writeToFile(target); });
    mover.join();
    ::close(watch);
    if (message == "(no std::logic_error thrown)" && fileContent(path("moved/out.gml")).size() > 1000)
        GTEST_SKIP() << "the folder moved only after the save had finished";
    EXPECT_TRUE(isWriteError(message)) << message;
    EXPECT_EQ(fileContent(path("moved/out.gml")), "earlier");
    EXPECT_FALSE(QFile::exists(target));
    ASSERT_TRUE(top.mkdir("exchange"));
    writer.writeToFile(target);
    EXPECT_EQ(xercesOutline(target), (std::vector<std::string> {Root, "Parcel.1"}));
}
