/*
 * Builds one table data from the fuzzer's bytes, writes it as an exchange document and reads
 * it back. Either writeTableData refuses it with std::logic_error, for a name or value that
 * cannot appear in XML or that the reader would not take, and appends nothing; or the saved
 * file is well-formed for Xerces-C and the reader gives back every feature with its table
 * name, its id and its plain values. The stream writer writes the same bytes as the tree
 * writer.
 *
 * The input is text (UTF-8; a malformed byte reads as U+FFFD), one record a line:
 *   first line       the table name
 *   up to a blank    one attribute a line: a kind letter ('g' a geometry, anything else plain),
 *                    a minOccurs digit ('0' optional, anything else 1), then the name
 *   every later line one feature: its id, then its values, separated by tabs
 * Names and values know the escapes \t \n \r \\ and \uXXXX (any UTF-16 unit, lone surrogates
 * included).
 */
#include "fuzzsupport.h"

#include <dorvellxsd/data/xsdtabledata.h>
#include <dorvellxsd/gml/xsdxmlstreamwriter.h>
#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <QSet>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/SAXParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLChar.hpp>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

using namespace pelmak;

namespace {

// Enough to reach every rule of the writer while keeping each run short.
constexpr int MaxAttributes = 32;
constexpr int MaxFeatures = 32;

QString unescaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t next = i + 1 < text.size() ? text.at(i + 1).unicode() : u'\0';
        if (c != QLatin1Char('\\') || next == u'\0') {
            result += c;
        } else if (next == u't' || next == u'n' || next == u'r' || next == u'\\') {
            result += next == u't' ? QLatin1Char('\t')
                : next == u'n'     ? QLatin1Char('\n')
                : next == u'r'     ? QLatin1Char('\r')
                                   : QLatin1Char('\\');
            ++i;
        } else {
            bool ok = false;
            const QString hex = text.mid(i + 2, 4);
            const ushort unit = hex.toUShort(&ok, 16);
            if (next == u'u' && hex.size() == 4 && ok) {
                result += QChar(unit);
                i += 5;
            } else {
                result += c;
            }
        }
    }
    return result;
}

XsdAttribute attributeFrom(const QString &line)
{
    XsdAttribute attribute;
    attribute.kind = line.startsWith(QLatin1Char('g')) ? XsdAttribute::Geometry : XsdAttribute::Plain;
    attribute.minOccurs = line.mid(1, 1) == QLatin1String("0") ? 0 : 1;
    attribute.name = unescaped(line.mid(2));
    return attribute;
}

XsdFeatureData featureFrom(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    XsdFeatureData feature;
    feature.id = fields.first().toInt(); // not a number: 0
    for (int i = 1; i < fields.size(); ++i)
        feature.values.append(unescaped(fields.at(i)));
    return feature;
}

XsdTableData tableDataFrom(const uint8_t *data, size_t size)
{
    const QStringList lines
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size)).split(QLatin1Char('\n'));
    XsdElement table;
    table.name = unescaped(lines.first());
    table.type = table.name + QLatin1String("Type");
    int line = 1;
    for (; line < lines.size() && !lines.at(line).isEmpty(); ++line) {
        if (table.complexType.attributes.size() < MaxAttributes)
            table.complexType.attributes.append(attributeFrom(lines.at(line)));
    }
    QList<XsdFeatureData> features;
    for (++line; line < lines.size() && features.size() < MaxFeatures; ++line)
        features.append(featureFrom(lines.at(line)));
    return XsdTableData(table, features);
}

// --- What Xerces-C, which the writer does not use, makes of names, values and files ---

const XMLCh *units(const QString &text)
{
    return reinterpret_cast<const XMLCh *>(text.utf16());
}

bool isXmlName(const QString &name)
{
    return !name.isEmpty() && xercesc::XMLChar1_0::isValidName(units(name), static_cast<XMLSize_t>(name.size()));
}

bool isXmlText(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const XMLCh c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (!xercesc::XMLChar1_0::isXMLChar(c, text.at(++i).unicode()))
                return false;
        } else if (QChar::isSurrogate(c) || !xercesc::XMLChar1_0::isXMLChar(c)) {
            return false;
        }
    }
    return true;
}

class ErrorFlag : public xercesc::HandlerBase {
public:
    void error(const xercesc::SAXParseException &) override { failed = true; }
    void fatalError(const xercesc::SAXParseException &) override { failed = true; }
    bool failed = false;
};

// Well-formed XML 1.0, names compared literally as the library's own readers do.
bool isWellFormed(const QByteArray &text)
{
    xercesc::SAXParser parser;
    parser.setValidationScheme(xercesc::SAXParser::Val_Never);
    parser.setDoNamespaces(false);
    parser.setLoadExternalDTD(false);
    parser.setDisableDefaultEntityResolution(true);
    ErrorFlag errors;
    parser.setErrorHandler(&errors);
    const xercesc::MemBufInputSource source(
        reinterpret_cast<const XMLByte *>(text.constData()), static_cast<XMLSize_t>(text.size()), "fuzz");
    try {
        parser.parse(source);
    } catch (const xercesc::XMLException &) {
        return false;
    } catch (const xercesc::SAXException &) {
        return false;
    }
    return !errors.failed;
}

// --- What the reader must give back ---

bool isGeometryName(const QString &name)
{
    return name.startsWith(QLatin1String("gml:"), Qt::CaseInsensitive);
}

/*
 * One written attribute as the reader sees it. A plain value comes back as one plain element
 * of its name with its text, unless its name makes the reader take it for a geometry. A
 * geometry fragment gives at most one element (none when it does not parse), whose name the
 * fragment chose.
 */
struct Place {
    bool optional = false;
    bool geometry = false;
    QString name;
    QString value;

    bool accepts(const XsdAttribute &attribute, const QString &readValue) const
    {
        if (optional)
            return true;
        if (geometry)
            return attribute.kind == XsdAttribute::Geometry && attribute.name.isEmpty();
        return attribute.kind == XsdAttribute::Plain && attribute.name == name && readValue == value;
    }
};

std::vector<Place> expectedPlaces(const XsdElement &table, const XsdFeatureData &feature)
{
    std::vector<Place> places;
    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    for (int i = 0; i < attributes.size(); ++i) {
        const XsdAttribute &attribute = attributes.at(i);
        const QString value = feature.values.value(i);
        if (attribute.kind == XsdAttribute::Geometry)
            places.push_back({true, true, {}, {}});
        else if (attribute.minOccurs != 0 || !value.isEmpty())
            places.push_back({false, isGeometryName(attribute.name), attribute.name, value});
    }
    return places;
}

// Whether the attributes read line up with the places, each optional place taking none or one.
bool matches(const std::vector<Place> &places, const QList<XsdAttribute> &attributes, const QStringList &values)
{
    const size_t count = static_cast<size_t>(attributes.size());
    std::vector<bool> reached(count + 1, false); // reached[j]: the first j attributes are matched
    reached[0] = true;
    for (const Place &place : places) {
        std::vector<bool> next(count + 1, false);
        for (size_t j = 0; j <= count; ++j) {
            if (!reached[j])
                continue;
            if (place.optional)
                next[j] = true;
            const int index = static_cast<int>(j);
            if (j < count && place.accepts(attributes.at(index), values.at(index)))
                next[j + 1] = true;
        }
        reached = std::move(next);
    }
    return reached[count];
}

void checkFeatureReadBack(const XsdElement &table, const XsdFeatureData &written, const XsdTableData &read)
{
    const XsdElement description = read.tableInfo();
    FUZZ_REQUIRE(description.name == table.name);
    FUZZ_REQUIRE(read.featureData().size() == 1);
    const XsdFeatureData feature = read.featureData().front();
    FUZZ_REQUIRE(feature.id == written.id);
    const QList<XsdAttribute> &attributes = description.complexType.attributes;
    FUZZ_REQUIRE(feature.values.size() == attributes.size());
    FUZZ_REQUIRE(matches(expectedPlaces(table, written), attributes, feature.values));
    for (int i = 0; i < attributes.size(); ++i) {
        if (attributes.at(i).kind == XsdAttribute::Geometry)
            FUZZ_REQUIRE(isWellFormed(feature.values.at(i).toUtf8()));
    }
}

// Whether the reader loads a document whose only element is named @p name.
bool readerTakes(const QString &name)
{
    const QString path = fuzzsupport::writeTemporaryFile(
        QStringLiteral("name.xml"), (QLatin1Char('<') + name + QLatin1String("/>")).toUtf8());
    XsdXmlTables reader;
    try {
        reader.initFromFile(path);
    } catch (const std::logic_error &) {
        return false;
    }
    return true;
}

// The readers name elements by their local names, so a writable name has no prefix.
bool isWritableName(const QString &name)
{
    return !name.contains(QLatin1Char(':')) && isXmlName(name) && readerTakes(name);
}

/*
 * The writer writes a geometry fragment that is XML as it is, and the attributes as it is given
 * them; the readers refuse, with the line, a fragment that is no GML geometry (a nested element,
 * a second geometry) and a name given twice in one feature.
 */
bool readersMayRefuse(const XsdElement &table, const QList<XsdFeatureData> &features)
{
    QSet<QString> names;
    for (const XsdAttribute &attribute : table.complexType.attributes) {
        if (attribute.kind != XsdAttribute::Plain)
            continue;
        if (names.contains(attribute.name))
            return true;
        names.insert(attribute.name);
    }
    for (const XsdFeatureData &feature : features) {
        for (int i = 0; i < table.complexType.attributes.size(); ++i) {
            if (table.complexType.attributes.at(i).kind != XsdAttribute::Plain && !feature.values.value(i).isEmpty())
                return true;
        }
    }
    return false;
}

// Whether a name or value is one that XML (as Xerces-C sees it) or the reader cannot carry.
bool deservesRefusal(const XsdTableData &tableData)
{
    const XsdElement table = tableData.tableInfo();
    const QList<XsdFeatureData> features = tableData.featureData();
    if (features.isEmpty())
        return false;
    if (!isWritableName(table.name))
        return true;
    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    QSet<int> ids; // a gml:id is written once per document
    for (const XsdFeatureData &feature : features) {
        if (ids.contains(feature.id))
            return true;
        ids.insert(feature.id);
        for (int i = 0; i < attributes.size(); ++i) {
            const XsdAttribute &attribute = attributes.at(i);
            const QString value = feature.values.value(i);
            if (attribute.kind == XsdAttribute::Geometry || (attribute.minOccurs == 0 && value.isEmpty()))
                continue;
            if (!isWritableName(attribute.name) || !isXmlText(value))
                return true;
        }
    }
    return false;
}

const QString &documentPath()
{
    static const QString path = fuzzsupport::temporaryPath(QStringLiteral("written.gml"));
    return path;
}

const QString &streamedPath()
{
    static const QString path = fuzzsupport::temporaryPath(QStringLiteral("streamed.gml"));
    return path;
}

QByteArray savedText(const QString &path = documentPath())
{
    QFile file(path);
    FUZZ_REQUIRE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// What the stream writer writes of the same table data, which it lays out without a tree.
QByteArray streamedText(const XsdTableData &tableData)
{
    XsdXmlStreamWriter writer(streamedPath());
    try {
        writer.writeTableData(tableData);
    } catch (const std::logic_error &) {
    }
    writer.commit();
    return savedText(streamedPath());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    xercesc::XMLPlatformUtils::Initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const XsdTableData tableData = tableDataFrom(data, size);
    const XsdElement table = tableData.tableInfo();
    const QList<XsdFeatureData> written = tableData.featureData();

    XsdXmlWriter writer;
    writer.start();
    bool refused = false;
    try {
        writer.writeTableData(tableData);
    } catch (const std::logic_error &) {
        refused = true;
    }
    FUZZ_REQUIRE(refused == deservesRefusal(tableData));
    writer.writeToFile(documentPath());
    FUZZ_REQUIRE(isWellFormed(savedText()));
    FUZZ_REQUIRE(streamedText(tableData) == savedText());

    XsdXmlTables reader;
    reader.initFromFile(documentPath()); // a file that does not read back is a fault: it throws
    QList<XsdTableData> read;
    try {
        read = reader.getDataFromLayers({});
    } catch (const std::logic_error &error) {
        FUZZ_REQUIRE(!refused && readersMayRefuse(table, written)
            && QString::fromUtf8(error.what()).startsWith(QStringLiteral("Документ не читается как набор таблиц")));
        return 0;
    }
    if (refused) {
        FUZZ_REQUIRE(read.isEmpty()); // nothing of a refused table data is appended
        return 0;
    }
    FUZZ_REQUIRE(read.size() == written.size());
    FUZZ_REQUIRE(reader.listTables() == (written.isEmpty() ? QStringList() : QStringList {table.name}));
    for (int i = 0; i < written.size(); ++i)
        checkFeatureReadBack(table, written.at(i), read.at(i));
    return 0;
}
