#include "xsdxmlwriter.h"

#include "featurewriter_p.h"

#include "../message_p.h"
#include "../xml/xmlserializer_p.h"

#include <QDomDocument>

namespace pelmak {

class XsdXmlWriterPrivate
{
public:
    void startDocument() { document = std::make_unique<QDomDocument>(gml::newExchangeDocument(identity)); }
    // The ids go with the document they are written in.
    void dropDocument()
    {
        document.reset();
        ids.clear();
    }

    std::unique_ptr<QDomDocument> document;
    XsdDocumentIdentity identity;
    gml::WrittenIds ids; ///< of the document
};

XsdXmlWriter::XsdXmlWriter()
    : d(std::make_unique<XsdXmlWriterPrivate>())
{
}

XsdXmlWriter::~XsdXmlWriter() = default;

void XsdXmlWriter::setGmlVersion(XsdTables::GmlVersion version)
{
    d->identity.gmlVersion = version;
}

XsdTables::GmlVersion XsdXmlWriter::gmlVersion() const
{
    return d->identity.gmlVersion;
}

void XsdXmlWriter::setDocumentIdentity(const XsdDocumentIdentity &identity)
{
    gml::checkWritable(identity);
    d->identity = identity;
}

void XsdXmlWriter::start()
{
    d->dropDocument();
    d->startDocument();
}

void XsdXmlWriter::writeTableData(const XsdTableData &tableData)
{
    const XsdElement table = tableData.tableInfo();
    const QList<XsdFeatureData> features = tableData.featureData();
    gml::checkWritable(table, features);
    d->ids.take(table.name, features); // none while there is no document

    if (!d->document)
        d->startDocument();
    QDomElement root = d->document->documentElement();
    gml::FeatureMemberBuilder members(table);
    for (const XsdFeatureData &feature : features)
        root.appendChild(members.member(feature, *d->document));
}

void XsdXmlWriter::writeToFile(const QString &path)
{
    if (!d->document)
        throw failure(messages::DocumentNotStarted);

    gml::DocumentFile file(path);
    QString pending;
    saveXmlDocument(*d->document, 1, pending, [&](QString &text) { file.write(text); });
    file.commit();
    d->dropDocument();
}

} // namespace pelmak
