/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_FEATUREREADER_P_H
#define DORVELLXSD_FEATUREREADER_P_H

#include "../data/xsdtabledata.h"
#include "../xml/domtreebuilder_p.h"
#include "../xml/xmlserializer_p.h"

#include <QDomElement>
#include <QStringList>

#include <optional>

/*
 * What the document readers share: which features are asked for, and how a feature element
 * becomes a feature and the description of its table.
 */
namespace pelmak::gml {

// Whether @p tableName is among @p tableNames, ignoring letter case; every table is when none is named.
bool isRequested(const QString &tableName, const QStringList &tableNames);

/*
 * Reads feature elements one after the other, from their tokens: the stream reader tells them as
 * its parser meets them, the tree reader walks its tree. Whitespace-only texts are settled as the
 * tree holds them, so both give the same values, and a geometry the text its tree would give.
 * The features of one table mostly come with the same children, so each feature's description
 * is compared with the one before, and an equal one shares its storage: a document of many
 * features then holds few descriptions.
 */
class FeatureMapper : private XmlTokenSink
{
public:
    FeatureMapper();
    ~FeatureMapper() override;
    FeatureMapper(const FeatureMapper &) = delete;
    FeatureMapper &operator=(const FeatureMapper &) = delete;

    // Where the tokens of one feature element go, from its start tag to its end tag.
    XmlTokenSink &tokens() { return settler; }
    // The id and the values of the feature whose tokens came up to its end tag, which description()
    // then describes.
    XsdFeatureData feature() const { return data; }

    // The same for @p feature.
    XsdFeatureData read(const QDomElement &feature);
    const XsdElement &description() const { return lastTable; }
    // Whether the last feature read has the description of the one before.
    bool describedAsBefore() const { return sameDescription; }

private:
    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

    void startFeature(const QString &name, const XmlAttributes &attributes);
    void startValue(const QString &name, const XmlAttributes &attributes);
    void endValue();
    void endFeature();
    void settleGeometry(bool beforeText);
    void walk(const QDomElement &element);

    BlankSettler settler{*this, BlankText::Values};
    XsdElement lastTable;
    bool sameDescription = false;

    // The feature being read.
    XsdFeatureData data;
    QString featureName;
    QVector<QString> childNames;
    bool described = false;
    int depth = 0; ///< 1 inside the feature, 2 inside one of its values
    bool geometryValue = false;
    QString value;
    QString geometryText;                         ///< its storage serves every geometry
    std::optional<XmlElementTextWriter> geometry; ///< of the geometry being read or awaiting its line end
};

} // namespace pelmak::gml

#endif
