#include "xsdxmlwriter.h"

#include "gmldocument_p.h"

#include "../data/xsdtabledata.h"
#include "../message_p.h"
#include "../xmldom_p.h"

#include <QDomDocument>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QXmlStreamReader>

#include <vector>

namespace pelmak {

class XsdXmlWriterPrivate
{
public:
    std::unique_ptr<QDomDocument> document;
};

namespace {

bool inRange(uint c, uint first, uint last)
{
    return c >= first && c <= last;
}

// XML 1.0 (fifth edition) Char.
bool isXmlChar(uint c)
{
    return c == 0x9 || c == 0xA || c == 0xD || inRange(c, 0x20, 0xD7FF) || inRange(c, 0xE000, 0xFFFD)
        || inRange(c, 0x10000, 0x10FFFF);
}

// Every code point is an XML character; a surrogate without its partner is no character at all.
bool isXmlText(const QString &text)
{
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        uint c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), text.at(++i).unicode());
        else if (QChar::isSurrogate(c))
            return false;
        if (!isXmlChar(c))
            return false;
    }
    return true;
}

bool isGeometry(const XsdAttribute &attribute)
{
    return attribute.kind != XsdAttribute::Plain;
}

bool isLeftOut(const XsdAttribute &attribute, const QString &value)
{
    return attribute.minOccurs == 0 && value.isEmpty();
}

// Refuses, before anything is appended, a table data whose names or values would make the
// document ill-formed or unreadable to the library's own reader.
void checkWritable(const XsdElement &table, const QList<XsdFeatureData> &features)
{
    if (features.isEmpty())
        return;
    if (!isReadableXmlName(table.name))
        throw logicError(formatMessage(messages::InvalidTableName, table.name));

    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    std::vector<bool> validName;
    validName.reserve(static_cast<size_t>(attributes.size()));
    for (const XsdAttribute &attribute : attributes)
        validName.push_back(isReadableXmlName(attribute.name));

    for (const XsdFeatureData &feature : features) {
        for (int i = 0; i < attributes.size(); ++i) {
            const XsdAttribute &attribute = attributes.at(i);
            const QString value = feature.values.value(i);
            if (isGeometry(attribute) || isLeftOut(attribute, value))
                continue;
            if (!validName[static_cast<size_t>(i)])
                throw logicError(formatMessage(messages::InvalidAttributeName, attribute.name, table.name));
            if (!isXmlText(value))
                throw logicError(formatMessage(messages::InvalidValueCharacter, table.name,
                                               QString::number(feature.id), attribute.name));
        }
    }
}

// The feature collection, the feature member and the feature lie above a geometry: a deeper
// fragment would make a document that the readers refuse.
constexpr int MaxGeometryDepth = MaxXmlDepth - 3;

// Hands geometry fragments to the stream; one parser serves all the features of a table.
class GeometryReader
{
public:
    // The top element of the fragment, or nothing when there is none.
    void describe(const QString &gml, ElementStream &out)
    {
        if (gml.isEmpty())
            return;
        reader.clear();
        reader.addData(gml);
        out.rootElementOf(reader, MaxGeometryDepth, names);
    }

private:
    QXmlStreamReader reader;
    XmlNameCache names;
};

// Describes the features of one table to the stream; what they share is made once.
class FeatureDescriber
{
public:
    explicit FeatureDescriber(const XsdElement &featureTable)
        : table(featureTable)
        , idPrefix(QString(gml::IdentifierPattern).arg(table.name, QString()))
    {
    }

    // The feature member with its feature element.
    void describe(const XsdFeatureData &feature, ElementStream &out)
    {
        out.startElement(memberTag);
        out.startElement(table.name, {{idName, idPrefix + QString::number(feature.id)}});
        const QList<XsdAttribute> &attributes = table.complexType.attributes;
        for (int i = 0; i < attributes.size(); ++i) {
            const XsdAttribute &attribute = attributes.at(i);
            const QString value = feature.values.value(i); // a missing value is written as empty
            if (isGeometry(attribute)) {
                geometries.describe(value, out);
            } else if (!isLeftOut(attribute, value)) {
                out.startElement(attribute.name);
                out.text(value);
                out.endElement();
            }
        }
        out.endElement();
        out.endElement();
    }

private:
    const XsdElement &table;
    const QString memberTag = gml::FeatureMemberTag;
    const QString idName = gml::IdAttribute;
    const QString idPrefix; ///< "<table>."
    GeometryReader geometries;
};

[[noreturn]] void throwWriteError(const QString &path, const QFileDevice &file)
{
    throw logicError(formatMessage(messages::CannotWriteFile, path, file.errorString()));
}

/*
 * The file is unbuffered and every short write is retried, so that a full disk shows here, with
 * the system's reason, and not in a final flush whose failure Qt's save file may not notice.
 */
void writeAll(QFileDevice &file, const QByteArray &text, const QString &path)
{
    for (qint64 written = 0; written < text.size();) {
        const qint64 count = file.write(text.constData() + written, text.size() - written);
        if (count <= 0)
            throwWriteError(path, file);
        written += count;
    }
}

// UTF-8 without a byte order mark, in pieces as the text is produced.
void writeDocument(const QDomDocument &document, QFileDevice &file, const QString &path)
{
    const std::unique_ptr<QTextEncoder> encoder(
        QTextCodec::codecForName("UTF-8")->makeEncoder(QTextCodec::IgnoreHeader));
    QString pending;
    saveXmlDocument(document, 1, pending, [&](QString &text) {
        writeAll(file, encoder->fromUnicode(text), path);
        text.clear();
    });
}

constexpr QIODevice::OpenMode WriteMode = QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered;

/*
 * A device or a named pipe cannot be replaced by a rename (that would put a regular file where
 * the node was), so the text goes straight to it.
 */
void writeDirectly(const QDomDocument &document, const QString &path)
{
    QFile file(path);
    if (!file.open(WriteMode))
        throw logicError(formatMessage(messages::CannotOpenFileForWriting, path));
    writeDocument(document, file, path);
}

// The text goes to a temporary file beside the target, which replaces the target only once
// everything was written; a failure leaves the earlier file as it was and removes the other.
void writeReplacing(const QDomDocument &document, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(WriteMode))
        throw logicError(formatMessage(messages::CannotOpenFileForWriting, path));
    writeDocument(document, file, path);
    if (!file.commit())
        throwWriteError(path, file);
}

} // namespace

XsdXmlWriter::XsdXmlWriter()
    : d(std::make_unique<XsdXmlWriterPrivate>())
{
}

XsdXmlWriter::~XsdXmlWriter() = default;

void XsdXmlWriter::start()
{
    auto document = std::make_unique<QDomDocument>();
    document->appendChild(
        document->createProcessingInstruction(gml::XmlDeclarationTarget, gml::XmlDeclarationContent));
    QDomElement root = document->createElement(gml::FeatureCollectionTag);
    root.setAttribute(gml::XsiNamespaceAttribute, gml::XsiNamespaceUri);
    root.setAttribute(gml::SchemaLocationAttribute, gml::SchemaLocation);
    root.setAttribute(gml::GmlNamespaceAttribute, gml::GmlNamespaceUri);
    root.setAttribute(gml::DefaultNamespaceAttribute, gml::TargetNamespaceUri);
    document->appendChild(root);
    d->document = std::move(document);
}

void XsdXmlWriter::writeTableData(const XsdTableData &tableData)
{
    const XsdElement table = tableData.tableInfo();
    const QList<XsdFeatureData> features = tableData.featureData();
    checkWritable(table, features);

    if (!d->document)
        start();
    if (features.isEmpty())
        return;
    // A large table's tree is built on a second thread while this one parses the geometries; for a
    // few features, starting the thread would cost more than it saves.
    constexpr int FeaturesWorthAThread = 256;
    ElementStream out(*d->document, d->document->documentElement(),
                      features.size() >= FeaturesWorthAThread ? BuildOn::SecondThread : BuildOn::ThisThread);
    FeatureDescriber describer(table);
    for (const XsdFeatureData &feature : features)
        describer.describe(feature, out);
    out.finish();
}

void XsdXmlWriter::writeToFile(const QString &path)
{
    if (!d->document)
        throw logicError(formatMessage(messages::DocumentNotStarted));

    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        writeDirectly(*d->document, path);
    else
        writeReplacing(*d->document, path);
    d->document.reset();
}

} // namespace pelmak
