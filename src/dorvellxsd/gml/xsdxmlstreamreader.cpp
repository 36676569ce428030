#include "xsdxmlstreamreader.h"

#include "featurereader_p.h"
#include "gmldocument_p.h"

#include "../message_p.h"
#include "../xml/xmlreading_p.h"

#include <QFile>
#include <QSet>

namespace pelmak {

/*
 * Follows the tokens of the document and hands those of each requested feature to the readers'
 * shared mapping, which turns them into a feature; everything else passes by.
 */
class XsdXmlStreamReaderPrivate : public XmlTokenSink
{
public:
    explicit XsdXmlStreamReaderPrivate(const QString &path);

    QList<XsdTableData> readBatch(int maxFeatures, const QStringList &tableNames);

    void startElement(const QString &name, const XmlAttributes &attributes) override;
    void endElement() override;
    void text(const QString &text, TextKind kind) override;
    void comment(const QString &text) override;
    void processingInstruction(const QString &target, const QString &data) override;

    QFile file;
    std::unique_ptr<XmlFileReader> reader; ///< none once the document is read or refused
    QString failure;                       ///< why it was refused
    QStringList tablesSeen;

private:
    // The nesting level of the feature elements: root, feature member, feature.
    static constexpr int FeatureDepth = 3;

    void noteTable(const QString &name);
    void finishFeature();
    void endRun();

    QSet<QString> tablesKnown;
    gml::FeatureMapper features;
    int depth = 0;
    bool memberAwaitsFeature = false; ///< a feature member whose first child element is still to come
    bool buildingFeature = false;

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
        throw logicError(formatMessage(messages::CannotOpenFile, path));
    reader = std::make_unique<XmlFileReader>(file);
}

QList<XsdTableData> XsdXmlStreamReaderPrivate::readBatch(int maxFeatures, const QStringList &tableNames)
{
    if (!failure.isEmpty())
        throw logicError(formatMessage(messages::CannotParseFile, failure));
    if (maxFeatures < 1)
        throw logicError(formatMessage(messages::BatchSizeNotPositive, QString::number(maxFeatures)));
    if (!reader)
        return {};
    requested = tableNames;
    batch.clear();
    featuresRead = 0;
    bool more = true;
    while (featuresRead < maxFeatures && (more = reader->readNext(*this))) {}
    if (reader->hasError()) {
        failure = reader->errorString();
        reader.reset();
        file.close();
        throw logicError(formatMessage(messages::CannotParseFile, failure));
    }
    if (!more) {
        reader.reset();
        file.close();
    }
    endRun();
    QList<XsdTableData> result;
    result.swap(batch);
    return result;
}

void XsdXmlStreamReaderPrivate::startElement(const QString &name, const XmlAttributes &attributes)
{
    ++depth;
    if (buildingFeature) {
        features.tokens().startElement(name, attributes);
    } else if (depth == FeatureDepth - 1) {
        memberAwaitsFeature = name == gml::FeatureMemberTag;
    } else if (depth == FeatureDepth && memberAwaitsFeature) {
        memberAwaitsFeature = false;
        noteTable(name);
        if (gml::isRequested(name, requested)) {
            buildingFeature = true;
            features.tokens().startElement(name, attributes);
        }
    }
}

void XsdXmlStreamReaderPrivate::endElement()
{
    if (buildingFeature) {
        features.tokens().endElement();
        if (depth == FeatureDepth) {
            buildingFeature = false;
            finishFeature();
        }
    }
    --depth;
}

void XsdXmlStreamReaderPrivate::text(const QString &text, TextKind kind)
{
    if (buildingFeature)
        features.tokens().text(text, kind);
}

void XsdXmlStreamReaderPrivate::comment(const QString &text)
{
    if (buildingFeature)
        features.tokens().comment(text);
}

void XsdXmlStreamReaderPrivate::processingInstruction(const QString &target, const QString &data)
{
    if (buildingFeature)
        features.tokens().processingInstruction(target, data);
}

void XsdXmlStreamReaderPrivate::noteTable(const QString &name)
{
    if (!tablesKnown.contains(name)) {
        tablesKnown.insert(name);
        tablesSeen.append(name);
    }
}

void XsdXmlStreamReaderPrivate::finishFeature()
{
    const XsdFeatureData data = features.feature();
    if (!features.describedAsBefore())
        endRun();
    if (run.isEmpty())
        runTable = features.description();
    run.append(data);
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
    : d(std::make_unique<XsdXmlStreamReaderPrivate>(path))
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
