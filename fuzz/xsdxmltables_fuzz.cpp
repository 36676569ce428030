// Feeds arbitrary bytes to the document reader as a file and reads every table back.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile file(inputPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    file.close();

    pelmak::XsdXmlTables tables;
    try {
        tables.initFromFile(inputPath());
    } catch (const std::logic_error &) {
        return 0; // not well-formed: refused, as it should be
    }
    const QStringList names = tables.listTables();
    const QList<pelmak::XsdTableData> all = tables.getDataFromLayers({});
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
