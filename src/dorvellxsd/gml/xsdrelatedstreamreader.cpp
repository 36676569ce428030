#include "xsdrelatedstreamreader.h"

#include "gmldocument_p.h"
#include "relatedfeature_p.h"
#include "relatedpaths_p.h"

#include "../message_p.h"
#include "../xml/xmlreading_p.h"

#include <QFile>
#include <QSet>

#include <exception>
#include <utility>

namespace pelmak {
namespace {

// GML's and WFS's members, and, in any namespace, an element named like one (base:member, ogr:featureMember).
bool isMember(const gml::NameMeanings::Meaning &name)
{
    return name.localName.endsWith(gml::MemberSuffix, Qt::CaseInsensitive)
        || name.localName.endsWith(gml::MembersSuffix, Qt::CaseInsensitive)
        || (isWfsNamespace(name.namespaceUri) && name.localName == AdditionalObjectsLocalName);
}

// A collection of GML or WFS, which a member may hold as WFS 2.0 gives each type's features.
bool isCollection(const gml::NameMeanings::Meaning &name)
{
    return (name.gml || isWfsNamespace(name.namespaceUri)) && name.localName.endsWith(gml::CollectionSuffix);
}

} // namespace

/*
 * Finds the features of a document, wherever its collection holds them, and hands their tokens to
 * the reading of one feature into rows; the rows gather in one list per table until the batch is
 * full. The root is a single feature or a collection. A child of a collection is its envelope, a
 * member (GML's, WFS's, or one named so in any namespace), which holds features or collections of
 * them and nothing else, or a property of the collection, whose features are read and whose other
 * content is passed by.
 */
class XsdRelatedStreamReaderPrivate : private XmlTokenSink
{
public:
    XsdRelatedStreamReaderPrivate(const QString &path, const XsdRelatedTables &tables);

    QList<XsdTableData> readBatch(int maxFeatures);

    const gml::RelatedPaths paths; ///< first: tables that contradict themselves open no file
    QFile file;
    std::unique_ptr<XmlFileReader> reader; ///< none once the document is read or refused
    std::exception_ptr refusal;            ///< why it was refused
    QStringList tablesSeen;

private:
    enum class Place { Collection, Member, Property };

    // An element open outside the features, whose content is read.
    struct Level
    {
        Place place;
        QString name;
        qint64 line = 0;
        int features = 0;     ///< held so far, collections counted
        QString reference;    ///< a member's xlink:href
        QString outerSrsName; ///< a collection's: that of the collection around it
    };

    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

    void startInCollection(const QString &name, const XmlAttributes &attributes);
    void startInMember(const QString &name);
    void startCollection(const QString &name);
    void startFeature(const QString &name, const XmlAttributes &attributes, int node);
    void endFeature();
    void see(int table);
    void endLevel();
    void takeEnvelope(const XmlAttributes &attributes);
    void readUpTo(int maxFeatures);
    void close();
    qint64 line() const { return reader ? reader->lineNumber() : 0; }

    NamespaceScopes scopes;
    gml::NameMeanings meanings{scopes};
    gml::ClarkNames names{scopes};
    gml::RelatedFeatureReader features{paths, scopes, names, [this] { return line(); }};
    QVector<Level> levels;
    int depth = 0;
    int skipFrom = 0;      ///< the depth of the element whose content is passed by, or 0
    bool inBounds = false; ///< whether that element is a collection's envelope
    int featureDepth = 0;  ///< of the feature read, or 0
    bool rootNamedCollection = false;
    bool memberSeen = false;
    QSet<int> tablesKnown;

    QVector<QList<XsdFeatureData>> batch; ///< per table
    int featuresRead = 0;                 ///< in the batch
    int featuresInDocument = 0;
};

XsdRelatedStreamReaderPrivate::XsdRelatedStreamReaderPrivate(const QString &path, const XsdRelatedTables &tables)
    : paths(tables)
    , file(path)
    , batch(tables.tables.size())
{
    // Binary, so that the parser applies the end-of-line rule of XML.
    if (!file.open(QIODevice::ReadOnly))
        throw failure(messages::CannotOpenFile, path);
    reader = std::make_unique<XmlFileReader>(file);
    if (paths.hasFragments())
        reader->keepText();
    features.setDocument(reader.get());
}

QList<XsdTableData> XsdRelatedStreamReaderPrivate::readBatch(int maxFeatures)
{
    gml::startBatch(refusal, maxFeatures);
    if (!reader)
        return {};
    featuresRead = 0;
    gml::readKeepingRefusal(
        refusal, [&] { readUpTo(maxFeatures); }, [this] { close(); });
    QList<XsdTableData> result;
    for (int table = 0; table < batch.size(); ++table) {
        if (!batch.at(table).isEmpty())
            result.append(XsdTableData(paths.tables().at(table).element, std::exchange(batch[table], {})));
    }
    return result;
}

// The text read is released as it goes, but for the fragment being read.
void XsdRelatedStreamReaderPrivate::readUpTo(int maxFeatures)
{
    const bool keepsText = paths.hasFragments();
    bool more = true;
    while (featuresRead < maxFeatures && more) {
        if (keepsText && !features.takesText())
            reader->releaseText();
        more = reader->readNext(*this);
    }
    if (reader->hasError())
        throw failure(messages::CannotParseFile, reader->errorString());
    if (!more)
        close();
}

void XsdRelatedStreamReaderPrivate::close()
{
    features.setDocument(nullptr);
    reader.reset();
    file.close();
}

void XsdRelatedStreamReaderPrivate::startElement(const QString &name, const XmlAttributes &attributes)
{
    ++depth;
    scopes.enter(attributes);
    if (featureDepth > 0) {
        features.tokens().startElement(name, attributes);
        return;
    }
    if (skipFrom > 0) {
        if (inBounds && depth == skipFrom + 1)
            takeEnvelope(attributes);
        return;
    }
    const int feature = paths.feature(names.ofElement(name, line()));
    if (feature >= 0)
        startFeature(name, attributes, feature);
    else if (levels.isEmpty())
        startCollection(name);
    else if (levels.last().place == Place::Collection)
        startInCollection(name, attributes);
    else
        startInMember(name);
}

void XsdRelatedStreamReaderPrivate::endElement()
{
    if (featureDepth > 0) {
        features.tokens().endElement();
        if (depth == featureDepth)
            endFeature();
    } else if (skipFrom > 0) {
        if (depth == skipFrom) {
            skipFrom = 0;
            inBounds = false;
        }
    } else {
        endLevel();
    }
    scopes.leave();
    --depth;
}

// Text in a property of the collection is its value; beside members it is refused.
void XsdRelatedStreamReaderPrivate::text(const QString &text, TextKind kind)
{
    if (featureDepth > 0) {
        features.tokens().text(text, kind);
        return;
    }
    if (skipFrom > 0 || levels.isEmpty() || levels.last().place == Place::Property || gml::isBlank(text))
        return;
    gml::refuseAt(line(), formatMessage(messages::TextBesideMembers, text.trimmed().left(40)));
}

void XsdRelatedStreamReaderPrivate::comment(const QString &text)
{
    if (featureDepth > 0)
        features.tokens().comment(text);
}

void XsdRelatedStreamReaderPrivate::processingInstruction(const QString &target, const QString &data)
{
    if (featureDepth > 0)
        features.tokens().processingInstruction(target, data);
}

// The envelope's srsName goes to the geometries that name none, as in the flat readers.
void XsdRelatedStreamReaderPrivate::startInCollection(const QString &name, const XmlAttributes &attributes)
{
    const gml::NameMeanings::Meaning &meaning = meanings.ofDeclared(name, line());
    if (meaning.localName == gml::BoundedByLocalName) {
        skipFrom = depth;
        inBounds = true;
        return;
    }
    const Place place = isMember(meaning) ? Place::Member : Place::Property;
    memberSeen = memberSeen || place == Place::Member;
    levels.append({place, name, line(), 0, gml::xlinkReference(scopes, attributes), {}});
}

void XsdRelatedStreamReaderPrivate::startInMember(const QString &name)
{
    if (isCollection(meanings.ofDeclared(name, line()))) {
        ++levels.last().features;
        startCollection(name);
    } else if (levels.last().place == Place::Member) {
        gml::refuseAt(line(), formatMessage(messages::ElementNotAFeature, name, levels.last().name));
    } else {
        skipFrom = depth;
    }
}

void XsdRelatedStreamReaderPrivate::startCollection(const QString &name)
{
    if (levels.isEmpty()) {
        const gml::NameMeanings::Meaning &meaning = meanings.ofDeclared(name, line());
        rootNamedCollection = isCollection(meaning) || meaning.localName.endsWith(gml::CollectionSuffix);
    }
    levels.append({Place::Collection, name, line(), 0, {}, features.srsNameByDefault()});
}

void XsdRelatedStreamReaderPrivate::startFeature(const QString &name, const XmlAttributes &attributes, int node)
{
    featureDepth = depth;
    if (!levels.isEmpty())
        ++levels.last().features;
    see(paths.node(node).table);
    features.tokens().startElement(name, attributes);
}

void XsdRelatedStreamReaderPrivate::see(int table)
{
    if (!tablesKnown.contains(table)) {
        tablesKnown.insert(table);
        tablesSeen.append(paths.tables().at(table).element.name);
    }
}

void XsdRelatedStreamReaderPrivate::endFeature()
{
    featureDepth = 0;
    for (const gml::RelatedFeatureReader::Row &row : features.rows()) {
        batch[row.table].append(row.data);
        if (paths.tables().at(row.table).isFeatureTable())
            see(row.table); // a feature inline in another
    }
    ++featuresRead;
    ++featuresInDocument;
}

/*
 * A member that holds nothing may name a feature elsewhere in the document. A root that is no
 * feature of the tables, holds no member and is not named a collection is a feature of another type.
 */
void XsdRelatedStreamReaderPrivate::endLevel()
{
    const Level level = levels.takeLast();
    if (level.place == Place::Member && level.features == 0 && gml::isOutsideReference(level.reference))
        gml::refuseAt(level.line, formatMessage(messages::MemberRefersOutside, level.name, level.reference));
    if (level.place != Place::Collection)
        return;
    features.setDefaultSrsName(level.outerSrsName);
    if (levels.isEmpty() && !rootNamedCollection && !memberSeen && featuresInDocument == 0)
        gml::refuseAt(level.line, formatMessage(messages::RootNotCollection, level.name));
}

void XsdRelatedStreamReaderPrivate::takeEnvelope(const XmlAttributes &attributes)
{
    const QString srsName = gml::envelopeSrsName(attributes, line());
    if (!srsName.isEmpty())
        features.setDefaultSrsName(srsName);
}

XsdRelatedStreamReader::XsdRelatedStreamReader(const QString &path, const XsdRelatedTables &tables)
    : d(environmentAsRuntimeError([&] { return std::make_unique<XsdRelatedStreamReaderPrivate>(path, tables); }))
{
}

XsdRelatedStreamReader::~XsdRelatedStreamReader() = default;

QList<XsdTableData> XsdRelatedStreamReader::readBatch(int maxFeatures)
{
    return d->readBatch(maxFeatures);
}

bool XsdRelatedStreamReader::atEnd() const
{
    return !d->reader;
}

QStringList XsdRelatedStreamReader::tablesSeen() const
{
    return d->tablesSeen;
}

} // namespace pelmak
