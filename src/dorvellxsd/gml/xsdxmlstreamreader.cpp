#include "xsdxmlstreamreader.h"

#include "featurereader_p.h"
#include "gmldocument_p.h"

#include "../message_p.h"
#include "../xml/xmlreading_p.h"

#include <QFile>
#include <QSet>

#include <exception>

namespace pelmak {

/*
 * Hands the tokens of the document to the readers' shared mapping, which tells the features it
 * reads; consecutive features of one description gather into one table data.
 */
class XsdXmlStreamReaderPrivate : private gml::DocumentMapper::Consumer
{
public:
    explicit XsdXmlStreamReaderPrivate(const QString &path);

    QList<XsdTableData> readBatch(int maxFeatures, const QStringList &tableNames);

    QFile file;
    std::unique_ptr<XmlFileReader> reader; ///< none once the document is read or refused
    std::exception_ptr refusal;            ///< why it was refused
    QStringList tablesSeen;

private:
    bool featureStarts(const QString &name) override;
    void featureRead(const gml::FeatureMapper &features) override;
    void readUpTo(int maxFeatures);
    void close();
    void endRun();

    gml::DocumentMapper mapper{*this, [this] { return reader ? reader->lineNumber() : 0; }};
    QSet<QString> tablesKnown;

    // The batch being read.
    QStringList requested;
    QList<XsdTableData> batch;
    XsdElement runTable;       ///< the description of the features in run
    QList<XsdFeatureData> run; ///< the last consecutive features of one description
    int featuresRead = 0;
};

XsdXmlStreamReaderPrivate::XsdXmlStreamReaderPrivate(const QString &path)
    : file(path)
{
    // Binary, so that the parser applies the end-of-line rule of XML.
    if (!file.open(QIODevice::ReadOnly))
        throw failure(messages::CannotOpenFile, path);
    reader = std::make_unique<XmlFileReader>(file);
}

QList<XsdTableData> XsdXmlStreamReaderPrivate::readBatch(int maxFeatures, const QStringList &tableNames)
{
    gml::startBatch(refusal, maxFeatures);
    if (!reader)
        return {};
    requested = tableNames;
    batch.clear();
    featuresRead = 0;
    gml::readKeepingRefusal(
        refusal, [&] { readUpTo(maxFeatures); }, [this] { close(); });
    endRun();
    QList<XsdTableData> result;
    result.swap(batch);
    return result;
}

void XsdXmlStreamReaderPrivate::readUpTo(int maxFeatures)
{
    bool more = true;
    while (featuresRead < maxFeatures && (more = reader->readNext(mapper))) {}
    if (reader->hasError())
        throw failure(messages::CannotParseFile, reader->errorString());
    if (!more)
        close();
}

void XsdXmlStreamReaderPrivate::close()
{
    reader.reset();
    file.close();
}

bool XsdXmlStreamReaderPrivate::featureStarts(const QString &name)
{
    if (!tablesKnown.contains(name)) {
        tablesKnown.insert(name);
        tablesSeen.append(name);
    }
    return gml::isRequested(name, requested);
}

void XsdXmlStreamReaderPrivate::featureRead(const gml::FeatureMapper &features)
{
    if (!features.describedAsBefore())
        endRun();
    if (run.isEmpty())
        runTable = features.description();
    run.append(features.feature());
    ++featuresRead;
}

void XsdXmlStreamReaderPrivate::endRun()
{
    if (run.isEmpty())
        return;
    batch.append(XsdTableData(runTable, run));
    run.clear();
}

XsdXmlStreamReader::XsdXmlStreamReader(const QString &path)
    : d(environmentAsRuntimeError([&] { return std::make_unique<XsdXmlStreamReaderPrivate>(path); }))
{
}

XsdXmlStreamReader::~XsdXmlStreamReader() = default;

QList<XsdTableData> XsdXmlStreamReader::readBatch(int maxFeatures, const QStringList &tableNames)
{
    return d->readBatch(maxFeatures, tableNames);
}

bool XsdXmlStreamReader::atEnd() const
{
    return !d->reader;
}

QStringList XsdXmlStreamReader::tablesSeen() const
{
    return d->tablesSeen;
}

} // namespace pelmak
