// One step of the exchange document road per run, so that the time and peak memory of each can
// be measured from outside (/usr/bin/time -v), next to the anchor: Qt's stream parser alone.
//
//   xml_stream_bench write-tree|write-stream|generate N FILE   N features, in table data of 1,000
//                                                              (generate only makes them)
//   xml_stream_bench read-tree|read-stream|parse FILE
#include <dorvellxsd/gml/xsdxmlstreamreader.h>
#include <dorvellxsd/gml/xsdxmlstreamwriter.h>
#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <QFile>
#include <QXmlStreamReader>

#include <cstdio>
#include <cstring>
#include <functional>

using namespace pelmak;

namespace {

constexpr int BatchSize = 1000;

XsdElement parcelTable()
{
    XsdElement table;
    table.name = QStringLiteral("Parcel");
    for (const char *name : {"code", "owner", "area", "note", ""}) {
        XsdAttribute attribute;
        attribute.name = QString::fromLatin1(name);
        attribute.kind = attribute.name.isEmpty() ? XsdAttribute::Geometry : XsdAttribute::Plain;
        attribute.minOccurs = attribute.name == QLatin1String("note") ? 0 : 1;
        table.complexType.attributes.append(attribute);
    }
    return table;
}

// A polygon of 20 vertices, as GDAL exports one.
QString polygon(int id)
{
    QString coordinates;
    for (int i = 0; i <= 20; ++i)
        coordinates +=
            QStringLiteral("%1 %2 ").arg(37.5 + id * 1e-5 + (i % 20) * 1e-4, 0, 'f', 6).arg(55.7 + i * 1e-4, 0, 'f', 6);
    coordinates.chop(1);
    return QStringLiteral(
        "<gml:Polygon srsName=\"urn:ogc:def:crs:EPSG::4326\"><gml:exterior><gml:LinearRing>"
        "<gml:posList>%1</gml:posList></gml:LinearRing></gml:exterior></gml:Polygon>")
        .arg(coordinates);
}

void forEachBatch(int count, const std::function<void(const XsdTableData &)> &take)
{
    const XsdElement table = parcelTable();
    for (int first = 0; first < count; first += BatchSize) {
        QList<XsdFeatureData> features;
        for (int id = first; id < qMin(count, first + BatchSize); ++id)
            features.append({id,
                {QStringLiteral("77:01:%1").arg(id), QStringLiteral("Иванов & сыновья"), QString::number(id * 1.5),
                    id % 3 ? QString() : QStringLiteral("угол"), polygon(id)}});
        take(XsdTableData(table, features));
    }
}

qint64 featuresOf(const QList<XsdTableData> &tables)
{
    qint64 count = 0;
    for (const XsdTableData &table : tables)
        count += table.featureData().size();
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const char *mode = argv[1];
    const QString path = QString::fromLocal8Bit(argv[argc - 1]);
    qint64 features = 0;
    if (std::strcmp(mode, "write-tree") == 0) {
        XsdXmlWriter writer;
        forEachBatch(std::atoi(argv[2]), [&](const XsdTableData &data) { writer.writeTableData(data); });
        writer.writeToFile(path);
    } else if (std::strcmp(mode, "write-stream") == 0) {
        XsdXmlStreamWriter writer(path);
        forEachBatch(std::atoi(argv[2]), [&](const XsdTableData &data) { writer.writeTableData(data); });
        writer.commit();
        features = writer.featureCount();
    } else if (std::strcmp(mode, "generate") == 0) {
        forEachBatch(std::atoi(argv[2]), [&](const XsdTableData &data) { features += data.featureData().size(); });
    } else if (std::strcmp(mode, "read-tree") == 0) {
        XsdXmlTables tables;
        tables.initFromFile(path);
        features = featuresOf(tables.getDataFromLayers({}));
    } else if (std::strcmp(mode, "read-stream") == 0) {
        XsdXmlStreamReader reader(path);
        for (QList<XsdTableData> batch = reader.readBatch(BatchSize); !batch.isEmpty();
             batch = reader.readBatch(BatchSize))
            features += featuresOf(batch);
    } else if (std::strcmp(mode, "parse") == 0) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        QXmlStreamReader reader(&file);
        while (!reader.atEnd()) {
            if (reader.readNext() == QXmlStreamReader::StartElement
                && reader.qualifiedName() == QLatin1String("Parcel"))
                ++features;
        }
    } else {
        return 2;
    }
    std::printf("%s: %lld features\n", mode, static_cast<long long>(features));
    return 0;
}
