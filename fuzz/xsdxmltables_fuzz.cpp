// Feeds arbitrary bytes to the document readers as a file and reads every table back; the stream
// reader must give what the tree reader gives.
#include <dorvellxsd/gml/xsdxmlstreamreader.h>
#include <dorvellxsd/gml/xsdxmltables.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {

const QString &inputPath()
{
    static const QTemporaryDir folder;
    static const QString path = QDir(folder.path()).filePath(QStringLiteral("input.gml"));
    return path;
}

// Every feature as one string: table, id, and each attribute's kind, name and value.
QStringList flattened(const QList<pelmak::XsdTableData> &tables)
{
    QStringList features;
    for (const pelmak::XsdTableData &table : tables) {
        const QList<pelmak::XsdAttribute> attributes = table.tableInfo().complexType.attributes;
        for (const pelmak::XsdFeatureData &feature : table.featureData()) {
            QString text = table.tableInfo().name + QLatin1Char('\n') + QString::number(feature.id);
            for (int i = 0; i < attributes.size(); ++i)
                text += QLatin1Char('\n') + QString::number(attributes.at(i).kind) + attributes.at(i).name
                    + QLatin1Char('=') + feature.values.value(i);
            features.append(text);
        }
    }
    return features;
}

// The stream reader's features in small batches, or its refusal.
QStringList streamed(std::string &refusal)
{
    QStringList features;
    try {
        pelmak::XsdXmlStreamReader reader(inputPath());
        for (QList<pelmak::XsdTableData> batch = reader.readBatch(3); !batch.isEmpty(); batch = reader.readBatch(3))
            features += flattened(batch);
    } catch (const std::logic_error &error) {
        refusal = error.what();
    }
    return features;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile file(inputPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    file.close();

    std::string streamRefusal;
    const QStringList streamFeatures = streamed(streamRefusal);
    // The tree reader refuses what the stream reader refuses, on loading or on mapping.
    pelmak::XsdXmlTables tables;
    QStringList names;
    QList<pelmak::XsdTableData> all;
    try {
        tables.initFromFile(inputPath());
    } catch (const std::logic_error &error) {
        // The stream reader maps as it parses: it may meet what cannot be mapped before the error.
        const bool mappedFirst = streamRefusal.rfind("Документ не читается как набор таблиц", 0) == 0;
        if (streamRefusal != error.what() && !mappedFirst)
            std::abort();
        return 0;
    }
    try {
        names = tables.listTables();
        all = tables.getDataFromLayers({});
    } catch (const std::logic_error &error) {
        if (streamRefusal != error.what())
            std::abort();
        return 0;
    }
    if (!streamRefusal.empty())
        std::abort();
    if (flattened(all) != streamFeatures)
        std::abort();
    // Every feature of a listed table is found again when its table is asked for by name.
    int selected = 0;
    for (const QString &name : names)
        selected += tables.getDataFromLayers({name}).size();
    if (selected < all.size())
        std::abort();
    for (const pelmak::XsdTableData &table : all) {
        const pelmak::XsdFeatureData feature = table.featureData().front();
        if (feature.values.size() != table.tableInfo().complexType.attributes.size())
            std::abort();
    }
    return 0;
}
