#ifndef DORVELLXSD_TESTS_GMLTESTSUPPORT_H
#define DORVELLXSD_TESTS_GMLTESTSUPPORT_H

#include "../logicerror.h"

#include <dorvellxsd/gml/xsdxmlstreamreader.h>
#include <dorvellxsd/gml/xsdxmlstreamwriter.h>
#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <functional>
#include <set>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gmltest {
using namespace pelmak;

// Attributes by name: "Geometry" is the geometry, "name?" an optional plain attribute, any other required.
inline XsdTableData tableData(const QString &name, const QStringList &attributes, const QList<XsdFeatureData> &features)
{
    XsdElement table;
    table.name = name;
    for (const QString &attributeName : attributes) {
        XsdAttribute attribute;
        attribute.kind = attributeName == "Geometry" ? XsdAttribute::Geometry : XsdAttribute::Plain;
        attribute.minOccurs = attributeName.endsWith('?') ? 0 : 1;
        attribute.name = attributeName.endsWith('?') ? attributeName.chopped(1) : attributeName;
        table.complexType.attributes.append(attribute);
    }
    return XsdTableData(table, features);
}

// One line per feature: "<table> <id>", then " {<name>=<value>}" per plain attribute, " [<value>]" per geometry.
inline std::string describeFeatures(const QList<XsdTableData> &tables)
{
    QStringList lines;
    for (const XsdTableData &data : tables) {
        const QList<XsdAttribute> attributes = data.tableInfo().complexType.attributes;
        for (const XsdFeatureData &feature : data.featureData()) {
            EXPECT_EQ(feature.values.size(), attributes.size());
            lines.append(data.tableInfo().name + ' ' + QString::number(feature.id));
            for (int i = 0; i < attributes.size(); ++i)
                lines.last() += QString(attributes.at(i).kind == XsdAttribute::Plain ? " {%1=%2}" : " [%1%2]")
                                    .arg(attributes.at(i).name, feature.values.value(i));
        }
    }
    return lines.join('\n').toStdString();
}

inline QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot open)");
}

inline QString writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size()) << path.toStdString();
    return path;
}

// A document as an independent parser (Xerces-C) reads it: "<version> <encoding> <root> <its attributes as
// name=value, sorted>", then each gml:id in document order; or "error: <line> <message>" alone.
inline std::vector<std::string> xercesOutline(const QString &path)
{
    using namespace xercesc;
    [[maybe_unused]] static const bool initialised = (XMLPlatformUtils::Initialize(), true);
    const auto text = [](const XMLCh *xml) { return QString::fromUtf16(xml ? xml : u"").toStdString(); };
    XercesDOMParser parser; // without an error handler, it throws at the first fatal error
    try {
        parser.parse(path.toLocal8Bit().constData());
    } catch (const SAXParseException &error) {
        return {"error: " + std::to_string(error.getLineNumber()) + ' ' + text(error.getMessage())};
    }
    const DOMDocument *document = parser.getDocument();
    const DOMNamedNodeMap *attributes = document->getDocumentElement()->getAttributes();
    std::set<std::string> sorted;
    for (XMLSize_t i = 0; i < attributes->getLength(); ++i)
        sorted.insert(text(attributes->item(i)->getNodeName()) + '=' + text(attributes->item(i)->getNodeValue()));
    std::vector<std::string> outline {text(document->getXmlVersion()) + ' ' + text(document->getXmlEncoding()) + ' '
        + text(document->getDocumentElement()->getTagName())};
    for (const std::string &attribute : sorted)
        outline.front() += ' ' + attribute;
    const DOMNodeList *elements = document->getElementsByTagName(u"*");
    for (XMLSize_t i = 0, count = elements->getLength(); i < count; ++i) {
        if (static_cast<const DOMElement *>(elements->item(i))->hasAttribute(u"gml:id"))
            outline.push_back(text(static_cast<const DOMElement *>(elements->item(i))->getAttribute(u"gml:id")));
    }
    return outline;
}

// Writes the table data into one document, which Xerces-C must find well-formed, and reads it back.
inline QList<XsdTableData> writeAndReadBack(const QList<XsdTableData> &tables)
{
    QTemporaryDir folder;
    XsdXmlWriter writer;
    for (const XsdTableData &data : tables)
        writer.writeTableData(data);
    writer.writeToFile(folder.filePath("document.gml"));
    EXPECT_EQ(xercesOutline(folder.filePath("document.gml")).front().rfind("error", 0), std::string::npos);
    XsdXmlTables reader;
    reader.initFromFile(folder.filePath("document.gml"));
    return reader.getDataFromLayers({});
}

/*
 * Whether @p body returns true in a child process whose files may not grow beyond @p bytes: a file size
 * limit stands for a full disk, and must not reach the test runner itself.
 */
inline bool holdsWithFileSizeLimit(rlim_t bytes, const std::function<bool()> &body)
{
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    return child != -1 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Names and kinds of the attributes of a description.
inline std::string layout(const XsdElement &table)
{
    std::string text = table.name.toStdString() + ':';
    for (const XsdAttribute &attribute : table.complexType.attributes)
        text += ' ' + std::to_string(attribute.kind) + attribute.name.toStdString();
    return text;
}

// Every feature of the document at @p path, read by the stream reader in batches of @p batchSize; the
// message of its refusal, if any, goes to @p refusal.
inline QList<XsdTableData> readInBatches(const QString &path, int batchSize, const QStringList &tableNames = {},
    std::string *refusal = nullptr, QStringList *tablesSeen = nullptr)
{
    QList<XsdTableData> all;
    try {
        XsdXmlStreamReader reader(path);
        for (QList<XsdTableData> batch = reader.readBatch(batchSize, tableNames); !batch.isEmpty();
             batch = reader.readBatch(batchSize, tableNames)) {
            int count = 0;
            for (const XsdTableData &data : batch)
                count += data.featureData().size();
            EXPECT_TRUE(count > 0 && count <= batchSize) << count;
            for (int i = 1; i < batch.size(); ++i) // consecutive features of one layout share a table data
                EXPECT_NE(layout(batch.at(i - 1).tableInfo()), layout(batch.at(i).tableInfo()));
            all += batch;
        }
        EXPECT_TRUE(reader.atEnd());
        if (tablesSeen)
            *tablesSeen = reader.tablesSeen();
    } catch (const std::logic_error &error) {
        if (!refusal)
            throw;
        *refusal = error.what();
    }
    return all;
}

} // namespace gmltest

#endif
