#include "xsdxmltables.h"

#include "featurereader_p.h"
#include "gmldocument_p.h"

#include "../message_p.h"
#include "../xml/domtreebuilder_p.h"

#include <QFile>
#include <QSet>

namespace pelmak {
namespace {

// Calls visit(featureElement) for each feature member of the document, in document order.
template <typename Visit>
void forEachFeature(const QDomDocument &document, Visit visit)
{
    for (QDomElement member = document.documentElement().firstChildElement(); !member.isNull();
         member = member.nextSiblingElement()) {
        if (member.tagName() != gml::FeatureMemberTag)
            continue;
        const QDomElement feature = member.firstChildElement();
        if (!feature.isNull())
            visit(feature);
    }
}

} // namespace

void XsdXmlTables::initFromFile(const QString &path)
{
    QFile file(path);
    // Binary, so that the parser applies the end-of-line rule of XML: a raw carriage return
    // becomes a line feed, a "&#13;" stays a carriage return.
    if (!file.open(QIODevice::ReadOnly))
        throw logicError(formatMessage(messages::CannotOpenFile, path));
    QDomDocument document;
    QString parserMessage;
    if (!readXmlFile(file, document, BlankText::Values, &parserMessage))
        throw logicError(formatMessage(messages::CannotParseFile, parserMessage));
    QDomDocument::operator=(document);
}

QStringList XsdXmlTables::listTables() const
{
    QStringList tables;
    QSet<QString> seen;
    forEachFeature(*this, [&](const QDomElement &feature) {
        const QString name = feature.tagName();
        if (!seen.contains(name)) {
            seen.insert(name);
            tables.append(name);
        }
    });
    return tables;
}

QList<XsdTableData> XsdXmlTables::getDataFromLayers(const QStringList &tableNames) const
{
    QList<XsdTableData> result;
    gml::FeatureMapper features;
    forEachFeature(*this, [&](const QDomElement &feature) {
        if (gml::isRequested(feature.tagName(), tableNames)) {
            const XsdFeatureData data = features.read(feature);
            result.append(XsdTableData(features.description(), {data}));
        }
    });
    return result;
}

} // namespace pelmak
