#include "xsdxmltables.h"

#include "featurereader_p.h"
#include "gmldocument_p.h"

#include "../message_p.h"
#include "../xml/domtreebuilder_p.h"
#include "xsdxmlstreamreader.h"

#include <QFile>
#include <QSet>

namespace pelmak {
namespace {

// Features of a tree, gathered as the mapping reads them.
class TreeFeatures : public gml::DocumentMapper::Consumer
{
public:
    explicit TreeFeatures(const QStringList &tableNames, bool readFeatures = true)
        : requested(tableNames)
        , reading(readFeatures)
    {
    }

    bool featureStarts(const QString &name) override
    {
        if (!seen.contains(name)) {
            seen.insert(name);
            tables.append(name);
        }
        return reading && gml::isRequested(name, requested);
    }

    void featureRead(const gml::FeatureMapper &features) override
    {
        read.append(XsdTableData(features.description(), {features.feature()}));
    }

    const QStringList requested;
    const bool reading;
    QStringList tables;
    QSet<QString> seen;
    QList<XsdTableData> read;
};

/*
 * Our tree keeps no lines. When the mapping refuses a tree read from a file (@p path, whose root
 * the tree still has), the file read again as a stream refuses at the same place and names the
 * line; a file that cannot be read again any more leaves the refusal without one.
 */
void mapTree(const QDomElement &root, const QString &path, const QDomElement &rootOfPath, TreeFeatures &features)
{
    if (root.isNull())
        return;
    try {
        gml::DocumentMapper mapper(features);
        mapper.read(root);
    } catch (const std::logic_error &) {
        if (!path.isEmpty() && root == rootOfPath) {
            try {
                XsdXmlStreamReader stream(path);
                while (!stream.readBatch(1024, features.requested).isEmpty()) {}
            } catch (const std::runtime_error &) {
            }
        }
        throw;
    }
}

} // namespace

void XsdXmlTables::initFromFile(const QString &path)
{
    QFile file(path);
    // Binary, so that the parser applies the end-of-line rule of XML: a raw carriage return
    // becomes a line feed, a "&#13;" stays a carriage return.
    if (!file.open(QIODevice::ReadOnly))
        throw failure(messages::CannotOpenFile, path);
    QDomDocument document;
    QString parserMessage;
    if (!readXmlFile(file, document, BlankText::Values, &parserMessage))
        throw failure(messages::CannotParseFile, parserMessage);
    QDomDocument::operator=(document);
    sourcePath = path;
    sourceRoot = documentElement();
}

QStringList XsdXmlTables::listTables() const
{
    TreeFeatures features({}, false);
    mapTree(documentElement(), sourcePath, sourceRoot, features);
    return features.tables;
}

QList<XsdTableData> XsdXmlTables::getDataFromLayers(const QStringList &tableNames) const
{
    TreeFeatures features(tableNames);
    mapTree(documentElement(), sourcePath, sourceRoot, features);
    return features.read;
}

} // namespace pelmak
