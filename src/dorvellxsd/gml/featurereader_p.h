/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_FEATUREREADER_P_H
#define DORVELLXSD_FEATUREREADER_P_H

#include "../data/xsdtabledata.h"
#include "../xml/domtreebuilder_p.h"
#include "../xml/xmlelementtextwriter_p.h"
#include "../xml/xmlnames_p.h"
#include "gmldocument_p.h"

#include <QDomElement>
#include <QRegExp>
#include <QSet>
#include <QStringList>

#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>

/*
 * What the document readers share: how a document's elements are told apart by their meaning
 * (collection, member, feature, property, geometry), which features are asked for, and how a
 * feature element becomes a feature and the description of its table.
 */
namespace pelmak::gml {

// Whether @p tableName is among @p tableNames, ignoring letter case; every table is when none is named.
bool isRequested(const QString &tableName, const QStringList &tableNames);

// The line a token ends on, as far as the reader knows it; 0 when it does not.
using LineSource = std::function<qint64()>;

// Whether @p text holds nothing but white space: no value, where it stands between elements.
bool isBlank(const QString &text);
// Refuses the document for @p reason, found at @p line (0 when unknown).
[[noreturn]] void refuseAt(qint64 line, const QString &reason);

// Before a batch of a stream reader: a document refused stays refused, and a batch takes a feature at least.
void startBatch(const std::exception_ptr &refusal, int maxFeatures);

// Runs @p read; a refusal it meets is kept in @p refusal, the document closed by @p close, and thrown on.
template <typename Read, typename Close>
void readKeepingRefusal(std::exception_ptr &refusal, Read &&read, Close &&close)
{
    try {
        read();
    } catch (const std::logic_error &) {
        refusal = std::current_exception();
        close();
        throw;
    }
}
// Whether a member's reference names a feature outside the document, which is never fetched.
bool isOutsideReference(const QString &reference);
// The xlink:href among an element's @p attributes; null when there is none.
QString xlinkReference(const NamespaceScopes &scopes, const XmlAttributes &attributes);
/*
 * The srsName among the @p attributes of a collection's envelope, which the geometries that name
 * none take (see DocumentMapper); empty when it names none. One too long is refused at @p line.
 */
QString envelopeSrsName(const XmlAttributes &attributes, qint64 line);

/*
 * A qualified name as the mapping sees it: the namespace its prefix stands for where it stands,
 * and its local part. Names repeat, so the answers are kept while the declarations stay.
 */
class NameMeanings
{
public:
    struct Meaning
    {
        const QString *namespaceUri; ///< null when the prefix is declared nowhere
        QString localName;
        bool gml;            ///< in the namespace of GML 3.1.1 or 3.2
        QString gmlSpelling; ///< the name under the prefix "gml" when it is GML's, else the name
    };

    explicit NameMeanings(const NamespaceScopes &scopes);
    const Meaning &of(const QString &qualifiedName);
    // The same for a name whose namespace must be known: an undeclared prefix is refused at @p line.
    const Meaning &ofDeclared(const QString &qualifiedName, qint64 line);

private:
    static constexpr int MaxKept = 64;
    const NamespaceScopes &scopes;
    quint64 generation = 0;
    QVector<QPair<QString, Meaning>> kept;
    int oldest = 0; ///< the entry replaced next once all are taken
};

// Whether @p name is one of GML's objects (a geometry), which GML names with a capital, not a property.
bool isGmlObject(const NameMeanings::Meaning &name);

/*
 * Writes a GML geometry element from its tokens as the readers hand geometries over: GML's names
 * and attributes under the prefix "gml", whatever prefix the document binds to GML, in the layout
 * of XmlElementTextWriter, and with the collection's srsName where the geometry names none.
 */
class GeometryTextWriter : public XmlTokenSink
{
public:
    explicit GeometryTextWriter(const NamespaceScopes &scopes);

    // Starts the geometry element; @p defaultSrsName goes to it where it names no srsName itself.
    void start(const QString &name, const XmlAttributes &attributes, const QString &defaultSrsName);
    // Whether a geometry started and its end tag has not come yet.
    bool isOpen() const { return writer.has_value(); }
    void reset() { writer.reset(); }
    // The text of the geometry whose end tag came last, in a string of its own size.
    QString written() const { return QString(out.constData(), out.size()); }
    // The same text, for a caller that copies it anyway.
    QStringView writtenView() const { return out; }

    // The geometry's content, its own end tag last.
    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

private:
    XmlAttributes gmlSpelled(const XmlAttributes &attributes);

    const NamespaceScopes &scopes;
    NameMeanings names;
    QString out; ///< its storage serves every geometry
    std::optional<XmlElementTextWriter> writer;
    int depth = 0; ///< of the element being written, below the geometry element
};

/*
 * Reads one feature element after the other from its tokens, between its start and its end tag.
 * Whitespace-only texts are settled as a tree holds them, so that a reader of tokens and a reader
 * of a tree give the same values. The features of one table mostly come with the same
 * properties, so each feature's description is compared with the one before, and an equal one
 * shares its storage: a document of many features then holds few descriptions.
 *
 * A property holds text, a reference (an empty element with xlink:href) or one GML geometry,
 * which makes it the table's geometry named after it; a GML geometry that stands in the feature
 * itself is the geometry without a name. Anything else is refused (see DocumentMapper).
 */
class FeatureMapper : private XmlTokenSink
{
public:
    FeatureMapper(const NamespaceScopes &scopes, LineSource line);
    ~FeatureMapper() override;
    FeatureMapper(const FeatureMapper &) = delete;
    FeatureMapper &operator=(const FeatureMapper &) = delete;

    // Where the tokens of one feature element go, from its start tag to its end tag.
    XmlTokenSink &tokens() { return settler; }
    // The id and the values of the feature whose tokens came up to its end tag, which
    // description() then describes.
    const XsdFeatureData &feature() const { return data; }
    const XsdElement &description() const { return lastTable; }
    // Whether the last feature read has the description of the one before.
    bool describedAsBefore() const { return sameDescription; }
    // The srsName of the geometries that name none, from the collection's envelope.
    void setDefaultSrsName(const QString &srsName) { envelopeSrsName = srsName; }
    const QString &defaultSrsName() const { return envelopeSrsName; }

private:
    enum class Content { Value, Geometry, WrappedGeometry, Ignored };

    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

    void startFeature(const QString &name, const XmlAttributes &attributes);
    void startProperty(const QString &name, const XmlAttributes &attributes);
    void startPropertyChild(const QString &name, const XmlAttributes &attributes);
    void endProperty();
    void endFeature();
    void addAttribute(XsdAttribute::Kind kind, const QString &name);
    bool isTaken(const QString &name);
    QString columnOf(const QString &name);
    void renameGmlProperty(int index);
    bool isDescribedAsBefore() const;
    int featureId();
    QString featureLabel() const;
    bool inGeometry() const;

    const NamespaceScopes &scopes;
    NameMeanings names;
    const LineSource line;
    BlankSettler settler{*this, BlankText::Values};
    XsdElement lastTable;
    bool sameDescription = false;
    QString envelopeSrsName;

    QRegExp loosePattern{LooseIdentifierPattern};

    // The feature being read.
    XsdFeatureData data;
    QString gmlId;
    QString featureName;
    QVector<QPair<XsdAttribute::Kind, QString>> properties; ///< kind and name of those read
    QSet<QString> namesTaken; ///< of the first namesIndexed properties, for a feature of many
    int namesIndexed = 0;
    QVector<int> gmlProperties; ///< the indexes of GML's own among them
    bool described = false;
    int depth = 0; ///< 1 inside the feature, 2 inside one of its properties

    // The property being read.
    Content content = Content::Value;
    QString propertyName;
    bool propertyIsGml = false;
    qint64 propertyLine = 0;
    QString value;
    QString reference;
    GeometryTextWriter geometry{scopes};
};

/*
 * Tells the features of a whole document to a consumer, from the document's tokens. The root
 * element is the collection, or a single feature (see startRoot). Each child of a collection is a
 * member holding one feature or several (gml:featureMember, gml:featureMembers, a WFS member,
 * ...), or a collection of its own, as WFS 2.0 wraps the features of each type (wfs:member holding
 * a wfs:FeatureCollection); GML's own properties of a collection and a boundedBy of any namespace
 * hold none, and the envelope's srsName goes to the geometries of the collection without one, as
 * GDAL's GML driver reads it. Names are compared by their namespace and local name, whatever the
 * prefix: tables and properties are named by their local names. A member holding no feature is
 * passed by (see startMember). A GML or WFS member referring to a feature outside the document, a
 * feature in the GML namespace, text beside the members or properties, a property holding other
 * elements than one geometry, a property given twice and a second geometry in a feature are
 * refused with their line.
 */
class DocumentMapper : public XmlTokenSink
{
public:
    class Consumer
    {
    public:
        virtual ~Consumer() = default;
        // A feature of the table @p name starts; whether it is read.
        virtual bool featureStarts(const QString &name) = 0;
        // The feature that @p features now holds was read.
        virtual void featureRead(const FeatureMapper &features) = 0;
    };

    // Without @p line, the lines are those a tree's nodes know (see read()).
    explicit DocumentMapper(Consumer &consumer, LineSource line = {});

    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

    // Whether what the element that just started holds matters no more: a reader of a tree may
    // then go straight to its end. Of the collection's boundedBy, the envelope matters.
    bool skipsContent() const { return skipFrom > 0 && !(inBounds && depth == skipFrom); }

    // Tells the tokens of the tree below @p root, the document element, in document order.
    void read(const QDomElement &root);

private:
    enum class Root { Unknown, Collection, Feature };

    // What a member of a collection has held so far.
    struct Member
    {
        QString name;
        qint64 line = 0;
        int features = 0;
        bool byName = false; ///< GML's or WFS's member, which holds features alone
        QString reference;   ///< its xlink:href
        QString nonFeature;  ///< why no feature may follow what it held before, or empty
        qint64 nonFeatureLine = 0;
    };

    // A collection: the document's, or one in a member of another.
    struct Collection
    {
        int depth;            ///< of its element; its members stand a level below, their features two
        Member outerMember;   ///< the member it stands in, which goes on after it
        QString outerSrsName; ///< the srsName of the geometries of the collection around it
    };

    // A token of a root that may be a feature, kept until that is known.
    struct Token
    {
        enum class Kind { Start, End, Text, Comment, Instruction };
        Kind kind;
        QString name; ///< or a comment's text, or an instruction's target
        XmlAttributes attributes;
        QString text; ///< of a text, or an instruction's data
        TextKind textKind = TextKind::Text;
        qint64 line = 0;
    };

    int memberDepth() const { return collections.isEmpty() ? 0 : collections.last().depth + 1; }
    int featureDepth() const { return memberDepth() + 1; }
    qint64 currentLine() const { return replaying ? replayLine : line(); }

    void startRoot(const QString &name, const XmlAttributes &attributes);
    void keep(Token token);
    void decideRoot(Root kind);
    void startMember(const QString &name, const XmlAttributes &attributes);
    void startFeature(const QString &name, const XmlAttributes &attributes);
    bool startCollection(const NameMeanings::Meaning &meaning);
    void holdsNoFeature(const QString &reason);
    void takeEnvelope(const XmlAttributes &attributes);
    void walk(const QDomElement &element);

    Consumer &consumer;
    const LineSource line;
    NamespaceScopes scopes; ///< of the whole document; the features' mapper reads them
    NameMeanings names{scopes};
    FeatureMapper features;
    int depth = 0;
    int skipFrom = 0;      ///< the depth of the element whose content is passed by, or 0
    bool inBounds = false; ///< whether that element is the collection's boundedBy
    bool inFeature = false;
    Root rootKind = Root::Unknown;
    QVector<Collection> collections; ///< none when the root is a feature
    Member member;                   ///< the member at hand
    QVector<Token> kept;             ///< while the root is Unknown
    int keptDepth = 0;
    bool replaying = false;
    qint64 replayLine = 0;
    qint64 treeLine = 0; ///< of the node a tree walk is at
};

} // namespace pelmak::gml

#endif
