/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_RELATEDFEATURE_P_H
#define DORVELLXSD_RELATEDFEATURE_P_H

#include "../data/xsdfeaturedata.h"
#include "../xml/domtreebuilder_p.h"
#include "featurereader_p.h"
#include "relatedpaths_p.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <vector>

namespace pelmak {
class XmlFileReader;
}

namespace pelmak::gml {

/*
 * The Clark names, "{namespace}local" or "local", of the qualified names a document writes, by the
 * namespaces in scope where they stand. A document uses few names: each is made once while the
 * declarations stay.
 */
class ClarkNames
{
public:
    explicit ClarkNames(const NamespaceScopes &scopes);

    // A prefix declared nowhere is refused at @p line.
    const QString &ofElement(const QString &qualifiedName, qint64 line);
    const QString &ofAttribute(const QString &qualifiedName, qint64 line);

private:
    // @p namespaceOf is asked only for a name not made yet: most names are.
    const QString &of(QHash<QString, QString> &made, const QString &qualifiedName,
        const QString *(NamespaceScopes::*namespaceOf)(const QString &) const, qint64 line);

    static constexpr int MaxKept = 1024; ///< so that a document of ever new names cannot grow them without end
    const NamespaceScopes &scopes;
    quint64 generation = 0;
    QHash<QString, QString> elements;
    QHash<QString, QString> attributes;
};

/*
 * The namespace declarations that the text of an element needs to stand alone: those of the
 * prefixes its names use (and the prefixes of the QNames xsi:type gives) that none of its own
 * elements declares, bound as they are where the element stands.
 */
class StandAloneDeclarations
{
public:
    // The element's text starts: nothing is needed yet.
    void clear();
    // An element of the text starts, with its attributes, and @p attributes declare what they declare.
    void enter(const XmlAttributes &attributes);
    void leave();
    // The text uses @p prefix ("" for the default namespace), bound to @p uri where it is used.
    void use(const QString &prefix, const QString &uri);
    // @p text, whose start tag's name ends at @p nameEnd, with the declarations it needs.
    QString addedTo(QStringView text, int nameEnd) const;

private:
    QVector<QPair<QString, QString>> needed; ///< prefix and namespace, each prefix once
    std::vector<QStringList> declared;       ///< per open element of the text, the prefixes it declares
};

/*
 * Reads one feature element, from its start tag to its end tag, into rows of related tables: a row
 * of the feature's table, and one of a child table per element that starts one, each with what its
 * columns find (RelatedPaths). Whitespace-only texts are settled as the flat readers settle them.
 * What no column and no table maps is refused with the table, the feature and the line; so is an
 * element met twice in one row where the table holds one value.
 */
class RelatedFeatureReader : private XmlTokenSink
{
public:
    struct Row
    {
        int table = -1;
        int parent = -1;  ///< the index of the parent's row among the feature's rows, or -1
        int position = 0; ///< among the rows of the parent's, or of the table in the document
        int serial = 0;   ///< tells the rows of the whole reading apart
        QString key;
        XsdFeatureData data;
    };

    RelatedFeatureReader(const RelatedPaths &paths, const NamespaceScopes &scopes, ClarkNames &names, LineSource line);
    ~RelatedFeatureReader() override;
    RelatedFeatureReader(const RelatedFeatureReader &) = delete;
    RelatedFeatureReader &operator=(const RelatedFeatureReader &) = delete;

    // The document whose text fragments are taken from, which keeps its text (XmlFileReader::keepText).
    void setDocument(XmlFileReader *reader) { document = reader; }
    // The srsName of the geometries that name none, from the collection's envelope.
    void setDefaultSrsName(const QString &srsName) { defaultSrsName = srsName; }
    const QString &srsNameByDefault() const { return defaultSrsName; }

    // Where the tokens of a feature element go, from its start tag to its end tag.
    XmlTokenSink &tokens() { return settler; }
    // The rows of the feature whose end tag came last, in the order their elements start.
    const QVector<Row> &rows() const { return featureRows; }
    // Whether the text of the document read so far is still needed, for a fragment.
    bool takesText() const { return capturing; }

private:
    struct Open
    {
        int node;
        int row;
        QString text; ///< of an element whose text is a value
    };

    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

    void startFeature(const QString &name, const XmlAttributes &attributes);
    int startRow(int node, int parentRow);
    void enter(int node, int row, const QString &name, const XmlAttributes &attributes);
    void takeAttributes(
        const RelatedPaths::Node &node, int row, const QString &element, const XmlAttributes &attributes);
    void setKey(int row);
    QString positionText(int position);
    void setValue(int row, int column, const QString &value, const QString &name);
    void startGeometry(const QString &name, const XmlAttributes &attributes, const Open &container);
    void endGeometry();
    void startFragment(const QString &name, const XmlAttributes &attributes, int row, int column);
    void endFragment();
    void useNames(const QString &name, const XmlAttributes &attributes, bool gmlSpelled);
    bool isValidationAttribute(const QString &name) const;
    QString featureIdentifier(const XmlAttributes &attributes) const;
    [[noreturn]] void refuse(const char *message, int row, const QString &arg);
    [[noreturn]] void refuse(const char *message, int row, const QString &arg1, const QString &arg2);

    const RelatedPaths &paths;
    const NamespaceScopes &scopes;
    ClarkNames &names;
    NameMeanings meanings;
    const LineSource line;
    BlankSettler settler{*this, BlankText::Values};
    XmlFileReader *document = nullptr;
    QString defaultSrsName;

    QVector<int> lastVisit;         ///< per node, the serial of the last row its element was met in
    QVector<int> positions;         ///< per table, of the rows read below the last row of its parent
    QVector<int> counterOf;         ///< per table, whose positions its rows count on (its group's first)
    QVector<int> featuresOf;        ///< per feature table, the rows read in the document
    QVector<QStringList> emptyRows; ///< per table, a row of null values, shared until written
    QStringList positionTexts;      ///< of the first positions, shared by the rows at them
    int serials = 0;
    int featuresRead = 0;

    // The feature being read.
    QVector<Row> featureRows;
    QVector<Open> open;
    QString featureLabel; ///< its gml:id, or its position in the document

    GeometryTextWriter geometry{scopes};
    QString geometryName;
    int geometryRow = -1;
    int geometryColumn = -1;

    bool capturing = false; ///< a fragment is read
    int captureDepth = 0;   ///< of the element read, below the fragment's
    qint64 captureStart = 0;
    QString captureName;
    int captureRow = -1;
    int captureColumn = -1;
    StandAloneDeclarations declarations; ///< of the geometry or the fragment read
};

} // namespace pelmak::gml

#endif
