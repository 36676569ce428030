#include "xsdxmlstreamwriter.h"

#include "featurewriter_p.h"

#include "../message_p.h"
#include "../xml/xmlserializer_p.h"

namespace pelmak {

class XsdXmlStreamWriterPrivate
{
public:
    XsdXmlStreamWriterPrivate(const QString &path, const XsdDocumentIdentity &identity)
        : document(writableDocument(identity))
        , file(std::make_unique<gml::DocumentFile>(path))
    {
    }

    // The document is lost on any failure to write it.
    template <typename Write>
    void writeOrDrop(Write write)
    {
        try {
            write();
        } catch (...) {
            file.reset();
            throw;
        }
    }

    void writeTableData(const XsdTableData &tableData);
    void commit();

    QDomDocument document;                   ///< whose root stands for the written one
    std::unique_ptr<gml::DocumentFile> file; ///< none after commit() or a failure
    bool rootStarted = false;
    QString pending; ///< text not yet written
    gml::WrittenIds ids;
    qint64 featureCount = 0;

private:
    static QDomDocument writableDocument(const XsdDocumentIdentity &identity)
    {
        gml::checkWritable(identity);
        return gml::newExchangeDocument(identity);
    }

    // The text goes to the file in large pieces.
    static constexpr int PieceSize = 1 << 20;

    void writeRootStart();
    void writePending(int atLeast);
};

void XsdXmlStreamWriterPrivate::writeRootStart()
{
    saveXmlNode(document.firstChild(), 0, 1, pending); // the declaration
    saveXmlStartTag(document.documentElement(), 0, 1, pending);
    rootStarted = true;
}

void XsdXmlStreamWriterPrivate::writePending(int atLeast)
{
    if (pending.size() >= atLeast)
        file->write(pending);
}

void XsdXmlStreamWriterPrivate::writeTableData(const XsdTableData &tableData)
{
    const XsdElement table = tableData.tableInfo();
    const QList<XsdFeatureData> features = tableData.featureData();
    gml::checkWritable(table, features);
    ids.take(table.name, features);
    if (features.isEmpty())
        return;

    writeOrDrop([&] {
        if (!rootStarted)
            writeRootStart();
        gml::FeatureMemberBuilder members(table);
        for (const XsdFeatureData &feature : features) {
            // Laid out one level below the root, as in the whole tree.
            members.appendMemberText(feature, pending);
            writePending(PieceSize);
            ++featureCount;
        }
        writePending(PieceSize);
    });
}

void XsdXmlStreamWriterPrivate::commit()
{
    writeOrDrop([&] {
        if (rootStarted)
            saveXmlEndTag(document.documentElement(), 0, 1, pending);
        else
            saveXmlDocument(document, 1, pending, [](QString &) {}); // an empty collection: a childless root
        writePending(0);
        file->commit();
    });
    file.reset();
}

XsdXmlStreamWriter::XsdXmlStreamWriter(const QString &path)
    : XsdXmlStreamWriter(path, XsdDocumentIdentity())
{
}

XsdXmlStreamWriter::XsdXmlStreamWriter(const QString &path, XsdTables::GmlVersion gmlVersion)
    : XsdXmlStreamWriter(path, XsdDocumentIdentity{gmlVersion})
{
}

XsdXmlStreamWriter::XsdXmlStreamWriter(const QString &path, const XsdDocumentIdentity &identity)
    : d(environmentAsRuntimeError([&] { return std::make_unique<XsdXmlStreamWriterPrivate>(path, identity); }))
{
}

XsdXmlStreamWriter::~XsdXmlStreamWriter() = default;

void XsdXmlStreamWriter::writeTableData(const XsdTableData &tableData)
{
    if (!d->file)
        throw failure(messages::DocumentNotStarted);
    environmentAsRuntimeError([&] { d->writeTableData(tableData); });
}

void XsdXmlStreamWriter::commit()
{
    if (!d->file)
        throw failure(messages::DocumentNotStarted);
    environmentAsRuntimeError([&] { d->commit(); });
}

qint64 XsdXmlStreamWriter::featureCount() const
{
    return d->featureCount;
}

} // namespace pelmak
