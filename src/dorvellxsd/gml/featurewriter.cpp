#include "featurewriter_p.h"

#include "gmldocument_p.h"

#include "../message_p.h"
#include "../xml/domtreebuilder_p.h"
#include "../xml/plainelementtext_p.h"
#include "../xml/xmlelementtextwriter_p.h"
#include "../xml/xmlescape_p.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>

#include <algorithm>
#include <vector>

namespace pelmak::gml {
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

// A geometry that stands in the feature itself, with no element of the attribute's name.
bool isBareGeometry(const XsdAttribute &attribute)
{
    return attribute.kind == XsdAttribute::Geometry;
}

bool isLeftOut(const XsdAttribute &attribute, const QString &value)
{
    return attribute.minOccurs == 0 && value.isEmpty();
}

// The collection, the member and the feature stand above a feature's values.
constexpr int ValueDepth = 3;

// A fragment nested deeper would make a document that the readers refuse.
constexpr int maxGeometryDepth(int depth)
{
    return MaxXmlDepth - depth;
}

void setSchemaLocation(QDomElement &root, const XsdDocumentIdentity &identity)
{
    if (identity.schemaLocation.isEmpty())
        return;
    if (identity.targetNamespace.isEmpty())
        root.setAttribute(NoNamespaceSchemaLocationAttribute, identity.schemaLocation);
    else
        root.setAttribute(
            SchemaLocationAttribute, identity.targetNamespace + QLatin1Char(' ') + identity.schemaLocation);
}

constexpr QIODevice::OpenMode WriteMode = QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered;

std::unique_ptr<QFileDevice> openForWriting(const QString &path)
{
    const QFileInfo target(path);
    std::unique_ptr<QFileDevice> file;
    if (target.exists() && !target.isFile())
        file = std::make_unique<QFile>(path);
    else
        file = std::make_unique<QSaveFile>(path);
    if (!file->open(WriteMode))
        throw failure(messages::CannotOpenFileForWriting, path);
    return file;
}

} // namespace

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

void checkWritable(const XsdElement &table, const QList<XsdFeatureData> &features)
{
    if (features.isEmpty())
        return;
    if (!isReadableLocalName(table.name))
        throw failure(messages::InvalidTableName, table.name);

    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    std::vector<bool> validName;
    validName.reserve(static_cast<size_t>(attributes.size()));
    for (const XsdAttribute &attribute : attributes)
        validName.push_back(isReadableLocalName(attribute.name));

    for (const XsdFeatureData &feature : features) {
        for (int i = 0; i < attributes.size(); ++i) {
            const XsdAttribute &attribute = attributes.at(i);
            const QString value = feature.values.value(i);
            if (isBareGeometry(attribute) || isLeftOut(attribute, value))
                continue;
            if (!validName[static_cast<size_t>(i)])
                throw failure(messages::InvalidAttributeName, attribute.name, table.name);
            // A geometry's text is parsed, not written: what is no XML leaves its element empty.
            if (attribute.kind == XsdAttribute::Plain && !isXmlText(value))
                throw failure(messages::InvalidValueCharacter, table.name, QString::number(feature.id), attribute.name);
        }
    }
}

bool IdSet::insert(int id)
{
    const auto [range, low] = placeOf(id);
    if (range.bitmap) {
        quint64 &word = range.bitmap[low / 64];
        const quint64 bit = quint64(1) << (low % 64);
        const bool added = (word & bit) == 0;
        word |= bit;
        return added;
    }
    std::vector<quint16> &sorted = range.sorted;
    if (sorted.empty() || low > sorted.back()) {
        sorted.push_back(low);
    } else {
        const auto at = std::lower_bound(sorted.begin(), sorted.end(), low);
        if (*at == low)
            return false;
        sorted.insert(at, low);
    }
    if (sorted.size() >= ArrayLimit) {
        range.bitmap = std::make_unique<quint64[]>(BitmapWords);
        for (const quint16 kept : sorted)
            range.bitmap[kept / 64] |= quint64(1) << (kept % 64);
        std::vector<quint16>().swap(sorted);
    }
    return true;
}

void IdSet::remove(int id)
{
    const auto [range, low] = placeOf(id);
    if (range.bitmap) {
        range.bitmap[low / 64] &= ~(quint64(1) << (low % 64));
        return;
    }
    const auto at = std::lower_bound(range.sorted.begin(), range.sorted.end(), low);
    if (at != range.sorted.end() && *at == low)
        range.sorted.erase(at);
}

// The range @p id falls in, and its low half, its place there.
std::pair<IdSet::Range &, quint16> IdSet::placeOf(int id)
{
    const auto value = static_cast<quint32>(id);
    const quint32 high = value >> 16;
    if (!lastRange || high != lastHigh) {
        lastRange = &ranges[high]; // the map's elements stay where they are
        lastHigh = high;
    }
    return {*lastRange, static_cast<quint16>(value)};
}

void WrittenIds::take(const QString &table, const QList<XsdFeatureData> &features)
{
    if (features.isEmpty())
        return;
    IdSet &ids = tables[table];
    for (int i = 0; i < features.size(); ++i) {
        if (ids.insert(features.at(i).id))
            continue;
        for (int taken = 0; taken < i; ++taken)
            ids.remove(features.at(taken).id);
        throw failure(messages::FeatureIdRepeated, table, QString::number(features.at(i).id));
    }
}

void checkWritable(const XsdDocumentIdentity &identity)
{
    if (!isXmlText(identity.targetNamespace) || !isXmlText(identity.schemaLocation))
        throw failure(messages::InvalidDocumentIdentity, identity.targetNamespace, identity.schemaLocation);
}

QDomDocument newExchangeDocument(const XsdDocumentIdentity &identity)
{
    const bool gml32 = identity.gmlVersion == XsdTables::GmlVersion::Gml32;
    QDomDocument document;
    document.appendChild(document.createProcessingInstruction(XmlDeclarationTarget, XmlDeclarationContent));
    QDomElement root = document.createElement(FeatureCollectionTag);
    root.setAttribute(XsiNamespaceAttribute, XsiNamespaceUri);
    setSchemaLocation(root, identity);
    root.setAttribute(GmlNamespaceAttribute, gml32 ? Gml32NamespaceUri : Gml311NamespaceUri);
    // Features of a schema without a target namespace belong to none.
    if (!identity.targetNamespace.isEmpty())
        root.setAttribute(DefaultNamespaceAttribute, identity.targetNamespace);
    if (gml32)
        root.setAttribute(IdAttribute, CollectionId);
    document.appendChild(root);
    return document;
}

FeatureMemberBuilder::FeatureMemberBuilder(const XsdElement &featureTable)
    : table(featureTable)
    , memberTag(FeatureMemberTag)
    , idName(IdAttribute)
    , idPrefix(identifier(table.name, QString()))
{
}

QDomElement FeatureMemberBuilder::member(const XsdFeatureData &feature, QDomDocument &owner)
{
    QDomElement featureElement = owner.createElement(table.name);
    featureElement.setAttribute(idName, idPrefix + QString::number(feature.id));
    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    for (int i = 0; i < attributes.size(); ++i) {
        const XsdAttribute &attribute = attributes.at(i);
        const QString value = feature.values.value(i); // a missing value is written as empty
        if (isBareGeometry(attribute)) {
            appendGeometry(value, ValueDepth, owner, featureElement);
        } else if (!isLeftOut(attribute, value)) {
            QDomElement element = owner.createElement(attribute.name);
            if (attribute.kind == XsdAttribute::GeometryProperty)
                appendGeometry(value, ValueDepth + 1, owner, element);
            else
                element.appendChild(owner.createTextNode(value));
            featureElement.appendChild(element);
        }
    }
    QDomElement memberElement = owner.createElement(memberTag);
    memberElement.appendChild(featureElement);
    return memberElement;
}

// The top element of the fragment, standing at @p depth, or nothing when there is none.
void FeatureMemberBuilder::appendGeometry(const QString &gml, int depth, QDomDocument &owner, QDomElement &parent)
{
    if (gml.isEmpty())
        return;
    geometryReader.clear();
    geometryReader.addData(gml);
    appendRootElementOf(geometryReader, maxGeometryDepth(depth), geometryNames, owner, parent);
}

/*
 * Each node on a line of its own, indented by one space a level below the root; a geometry's
 * fragment is laid out as appendGeometry would build it, from its characters or its parser's tokens.
 */
void FeatureMemberBuilder::appendMemberText(const XsdFeatureData &feature, QString &out)
{
    static const QString featureIndentation(2, QLatin1Char(' ')), valueIndentation(ValueDepth, QLatin1Char(' '));
    out += QLatin1String(" <") + memberTag + QLatin1String(">\n");
    out += featureIndentation + QLatin1Char('<') + table.name + QLatin1Char(' ') + idName + QLatin1String("=\"")
        + idPrefix + QString::number(feature.id) + QLatin1Char('"');
    bool startTagClosed = false;
    const auto closeStartTag = [&] {
        if (!startTagClosed)
            out += QLatin1String(">\n");
        startTagClosed = true;
    };
    const QList<XsdAttribute> &attributes = table.complexType.attributes;
    for (int i = 0; i < attributes.size(); ++i) {
        const XsdAttribute &attribute = attributes.at(i);
        const QString value = feature.values.value(i); // a missing value is written as empty
        if (isBareGeometry(attribute)) {
            if (formatGeometry(value, ValueDepth)) {
                closeStartTag();
                out += geometryText;
            }
        } else if (attribute.kind == XsdAttribute::GeometryProperty) {
            if (!isLeftOut(attribute, value)) {
                closeStartTag();
                appendGeometryProperty(attribute.name, value, out);
            }
        } else if (!isLeftOut(attribute, value)) {
            closeStartTag();
            out += valueIndentation + QLatin1Char('<') + attribute.name + QLatin1Char('>');
            appendXmlContent(out, value);
            out += QLatin1String("</") + attribute.name + QLatin1String(">\n");
        }
    }
    if (startTagClosed)
        out += featureIndentation + QLatin1String("</") + table.name + QLatin1String(">\n");
    else
        out += QLatin1String("/>\n");
    out += QLatin1String(" </") + memberTag + QLatin1String(">\n");
}

// The property element, empty when the fragment has no element, as the tree serialises it.
void FeatureMemberBuilder::appendGeometryProperty(const QString &name, const QString &gml, QString &out)
{
    static const QString indentation(ValueDepth, QLatin1Char(' '));
    if (!formatGeometry(gml, ValueDepth + 1)) {
        out += indentation + QLatin1Char('<') + name + QLatin1String("/>\n");
        return;
    }
    out += indentation + QLatin1Char('<') + name + QLatin1String(">\n") + geometryText;
    out += indentation + QLatin1String("</") + name + QLatin1String(">\n");
}

// The text of the fragment's top element, standing at @p depth, into geometryText; false when
// there is none.
bool FeatureMemberBuilder::formatGeometry(const QString &gml, int depth)
{
    if (gml.isEmpty())
        return false;
    geometryText.resize(0);
    // GDAL's fragments are laid out without a parser; any other goes through one, which also
    // refuses what is no XML.
    if (appendPlainElementText(gml, depth, 1, maxGeometryDepth(depth), geometryText))
        return true;
    geometryReader.clear();
    geometryReader.addData(gml);
    XmlElementTextWriter writer(depth, 1, geometryText);
    if (!XmlTokenizer(geometryReader, maxGeometryDepth(depth), geometryNames).readAll(writer, nullptr))
        return false;
    writer.finish();
    return !geometryText.isEmpty();
}

DocumentFile::DocumentFile(const QString &filePath)
    : path(filePath)
    , file(openForWriting(filePath))
    , encoder(QTextCodec::codecForName("UTF-8")->makeEncoder(QTextCodec::IgnoreHeader))
{
}

DocumentFile::~DocumentFile() = default;

void DocumentFile::throwWriteError() const
{
    throw failure(messages::CannotWriteFile, path, file->errorString());
}

/*
 * The file is unbuffered and every short write is retried, so that a full disk shows here, with
 * the system's reason, and not in a final flush whose failure Qt's save file may not notice.
 */
void DocumentFile::write(QString &text)
{
    const QByteArray bytes = encoder->fromUnicode(text);
    text.clear();
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 count = file->write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0)
            throwWriteError();
        written += count;
    }
}

void DocumentFile::commit()
{
    // A save file must not be closed: only commit() completes it.
    if (auto *saveFile = qobject_cast<QSaveFile *>(file.get())) {
        if (!saveFile->commit())
            throwWriteError();
    } else {
        file->close();
    }
}

} // namespace pelmak::gml
