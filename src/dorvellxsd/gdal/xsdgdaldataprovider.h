#ifndef DORVELLXSD_XSDGDALDATAPROVIDER_H
#define DORVELLXSD_XSDGDALDATAPROVIDER_H

#include <dorvellxsd/data/xsdtabledata.h>
#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/gdal/xsddatasourceoptions.h>
#include <dorvellxsd/schema/xsdelement.h>
#include <dorvellxsd/schema/xsdtables.h>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

namespace pelmak {

class XsdGdalDataProviderPrivate;
class XsdGdalLayerReader;

/**
 * One vector data source that GDAL can open: its layers are the tables, their fields the plain
 * attributes and each feature's geometry the geometry attribute, as GML 3 text.
 *
 * The host registers GDAL's drivers before the first provider is made; the provider registers
 * none. Text crosses to and from GDAL as UTF-8.
 *
 * Network: by default nothing a data source's content names makes GDAL reach the network, and
 * GDAL writes nothing beside a source; every network wait is bounded in time
 * (XsdDataSourceOptions). The provider sets GDAL's options to that end as thread-local
 * configuration options, only for its own calls, and gives back the thread's own when each call
 * returns; GDAL's own worker threads, where a driver starts any, do not see them.
 *
 * Threads: every GDAL call runs on the calling thread; the provider starts no thread. A provider
 * and the layer readers made from it (XsdGdalLayerReader) are used by one thread at a time, as
 * GDAL requires of one data source; distinct providers are independent and may be used on
 * distinct threads at once. Every operation leaves the calling thread's GDAL error handler and
 * last error as it found them: GDAL's reports reach the host only inside the exceptions.
 */
class DORVELLXSD_EXPORT XsdGdalDataProvider
{
public:
    /**
     * Opens @p path (any data source name GDAL accepts) for reading, or for update when
     * @p readOnly is false, with the default XsdDataSourceOptions: no network.
     * @throws std::runtime_error when GDAL cannot open it as a vector data source.
     */
    XsdGdalDataProvider(const QString &path, bool readOnly);
    /**
     * As above, reaching the network and waiting for it as @p options say, for this source and
     * every source it opens later (openSourceFile()).
     * @throws std::logic_error when @p options.timeoutSeconds is below 1, before anything is opened.
     */
    XsdGdalDataProvider(const QString &path, bool readOnly, const XsdDataSourceOptions &options);
    virtual ~XsdGdalDataProvider();

    /**
     * Opens another data source in place of the current one, with the options the provider was
     * made with. The current one is closed even when the new one cannot be opened; the provider
     * is then closed, and every operation but layerNames() throws std::logic_error until a later
     * open succeeds. Layer readers of the provider throw on their next batch.
     * @throws std::runtime_error with GDAL's reason when the open fails.
     */
    void openSourceFile(const QString &path, bool readOnly);

    /**
     * Creates a new data source at @p path with the GDAL driver named @p driverName ("GPKG",
     * "ESRI Shapefile", ...) and opens it for update.
     * @throws std::logic_error when GDAL has no such driver or it cannot create vector data
     *         sources; std::runtime_error with GDAL's reason when the creation fails.
     */
    static std::unique_ptr<XsdGdalDataProvider> createDataSource(
        const QString &path, const QString &driverName, const XsdDataSourceOptions &options = {});

    /// Layer names in layer order, less those starting with "STL_"; empty when closed.
    QStringList layerNames() const;

    /**
     * The layer GDAL finds for @p name (the name as written, then ignoring letter case; also one
     * that layerNames() does not list, such as a table without geometry of a database) as a table
     * description: its name, a plain attribute per field (minOccurs 0 where the field takes null)
     * and a Geometry attribute per geometry column. An empty element where there is no such layer.
     * @throws std::logic_error when the provider is closed.
     */
    XsdElement describeLayer(const QString &name) const;

    /**
     * The system of the layer GDAL finds for @p name as an srsName that createLayer() and
     * insertData() take ("urn:ogc:def:crs:EPSG::n"); empty where the layer has no system with an
     * EPSG code.
     * @throws std::logic_error when the provider is closed or there is no such layer.
     */
    QString layerSrsName(const QString &name) const;

    /**
     * Creates the layer of @p table: a field per plain attribute, typed to hold every value of
     * its XsdAttribute::valueType exactly (Integer for int, short, byte, unsignedShort and
     * unsignedByte; Integer64 for long, integer, unsignedInt, unsignedLong and the positive,
     * negative, non-negative and non-positive integers; Real for decimal, double and float;
     * Integer with the Boolean subtype for boolean; Date; DateTime; String for every other type),
     * and, when the table has a geometry, a geometry column in the system that @p srsName names
     * (in any spelling insertData() takes; none when empty), of the type that every GML element
     * the first geometry attribute admits gives (XsdAttribute::geometryType: Point, LineString,
     * Polygon and their multiple kinds, MultiCurve and MultiSurface as lines and polygons), of any
     * type where they differ. With setGeometryColumnPerAttribute(), each geometry attribute gets
     * a geometry column of its own, named as it and typed by what it admits.
     * @throws std::logic_error for an srsName that names no system GDAL knows offline;
     *         std::runtime_error with GDAL's reason when the layer or a field cannot be created.
     */
    void createLayer(const XsdElement &table, const QString &srsName);

    /**
     * The number of features of the layer GDAL finds for @p name.
     * @throws std::logic_error when the provider is closed or there is no such layer.
     */
    qint64 featureCount(const QString &name) const;

    /**
     * Removes every feature of the layer GDAL finds for @p name; inside a transaction of the host
     * (beginTransaction()) a roll-back brings them back.
     * @throws std::logic_error when the provider is closed or there is no such layer, and with
     *         GDAL's reason when a feature cannot be removed.
     */
    void deleteFeatures(const QString &name);

    /**
     * Declares that the rows of layer @p child belong, through its field @p childKey, to those of
     * layer @p parent whose field @p parentKey holds the same value (one to many), where the
     * driver keeps such relationships, so that desktop applications show them.
     * @return false, with nothing declared, where the driver keeps none.
     * @throws std::runtime_error with GDAL's reason when the driver keeps them and refuses this one.
     */
    bool addRelationship(
        const QString &parent, const QString &parentKey, const QString &child, const QString &childKey);

    /// Removes the layer named @p name (ignoring letter case); nothing where there is none.
    /// @throws std::runtime_error with GDAL's reason when the driver cannot remove it.
    void deleteLayer(const QString &name);

    /**
     * The files GDAL reads for the open data source (GDALDataset::GetFileList), absolute and
     * canonical where they exist; where GDAL lists none, the file a name with a driver's prefix
     * opens ("GPKG:a.gpkg:Road"); empty for a database.
     * @throws std::logic_error when the provider is closed.
     */
    QStringList fileList() const;

    /**
     * True when the driver has transactions of its own, so that insertData() is all or nothing
     * and the operations below can bracket several calls. Transactions that GDAL can only emulate
     * (by copying the data source aside) do not count: neither insertData() nor beginTransaction()
     * asks for them.
     * @throws std::logic_error when the provider is closed.
     */
    bool supportsTransactions() const;

    /// Starts a native transaction of the data source; false where the driver has none, or one is
    /// open already.
    bool beginTransaction();
    /// GDAL's result code of the commit, 0 on success.
    int commitTransaction();
    /**
     * Commits the transaction begun with beginTransaction(), like commitTransaction(), but says
     * why a commit fails, as insertData() does for its own, and rolls the transaction back then.
     * @throws std::logic_error with GDAL's reason, or "Не могу завершить транзакцию в источнике
     *         данных %1" where GDAL gives none.
     */
    void finishTransaction();
    /**
     * Rolls the data source's transaction back; 0 when the source is back at its last committed
     * state. Where GDAL cannot roll back (a commit that failed may leave the connection holding
     * what it wrote), or holds none open, the source is closed and opened again, which ends its
     * layer readers; GDAL's result code of the roll-back when that open fails too.
     */
    int rollbackTransaction();

    /**
     * Whether insertData() gives each new feature its record's id as identifier (default: no, the
     * data source numbers them). Where the driver takes the identifiers it is given (GeoPackage,
     * PostgreSQL), a copy keeps them; an id the layer holds already makes the insert fail.
     */
    void setKeepFeatureIds(bool keep);

    /**
     * Whether insertData() sets a field null where a record's value is null (QString()), which
     * a related table's reading gives for what the document does not hold; an empty value ("")
     * stays empty text. Default no: a record's missing values are empty, as a flat table has them.
     */
    void setAbsentValuesNull(bool absentNull);

    /**
     * True when a table of the data source may hold several geometry columns (PostgreSQL,
     * SQLite, Memory; not GeoPackage, Shapefile or FlatGeobuf).
     * @throws std::logic_error when the provider is closed.
     */
    bool takesSeveralGeometryColumns() const;

    /**
     * Whether createLayer() gives each geometry attribute a geometry column of its own, named as
     * the attribute, and insertData() puts each geometry attribute's value into the column of its
     * name (a layer with one geometry column takes its table's one geometry attribute whatever
     * the column's name). Default no: every geometry attribute of a table names the one geometry
     * of its features, as a flat table has it. For the related tables of
     * XsdRelatedTables::GeometryColumns::OnePerProperty, on a data source that takes several.
     */
    void setGeometryColumnPerAttribute(bool perAttribute);

    /**
     * The GML in which getDataFromLayer() and the layer readers made from now on write
     * geometries: GML 3.2 for XsdTables::GmlVersion::Gml32, with a gml:id on every geometry
     * element ("<table>.<id>.geom" on the top one, that followed by ".<n>" on the n-th member of
     * a collection, counted from 0), unique in a document whose feature identifiers are; GML 3.1.1
     * for any other value, which is the default. Survives openSourceFile(); a layer reader keeps
     * the version it began with. Pass the exchange schema's XsdTables::gmlVersion(), and the same
     * to the document writer (XsdXmlWriter::setGmlVersion()).
     */
    void setGmlVersion(XsdTables::GmlVersion version);
    XsdTables::GmlVersion gmlVersion() const;

    /**
     * Reads every feature of the layer named like @p element into table data, one value per
     * attribute in attribute order; every geometry attribute gets the feature's geometry as GML 3
     * (see setGmlVersion()). An optional plain attribute (minOccurs 0) whose field the layer lacks
     * is read as empty, which the document writers leave out.
     * Reads as XsdGdalLayerReader does, in one batch.
     *
     * @p filter is an attribute filter (the condition of a WHERE clause) handed to the driver as it
     * is: the driver's SQL dialect, for a database the server's own SQL, so that it runs whatever
     * functions the server offers (a filter may make a PostgreSQL server sleep). It must come from
     * someone trusted with the data source. An empty one reads the whole layer, also after a
     * filtered read.
     * @throws std::logic_error when the element describes no table, the layer or the field of a
     *         required attribute is missing ("В слое %1 нет поля %2"), GDAL refuses the filter or
     *         fails while reading, a feature identifier does not fit in 32 bits, or a geometry
     *         cannot be written as GML; no partial data is returned.
     */
    XsdTableData getDataFromLayer(const XsdElement &element, const QString &filter) const;

    /**
     * Creates one feature per record of @p tables in the layers of the same names and returns the
     * number of features created per table name.
     *
     * Every layer and every field is looked up before the first feature is written. A value is
     * checked against its field's type (integer, 64-bit integer, real, date and time, boolean) and,
     * where the driver enforces them, its width and encoding: one that the field cannot hold
     * exactly is refused, never converted; an empty value sets a field that is not text null.
     * A geometry is refused when its text is not empty and not a GML geometry GDAL can read, or a
     * coordinate is not a number a double holds as written (not finite, or closer to zero than
     * its normal numbers; gml:coordinates is read with its decimal, cs and ts separators). Its
     * srsName (EPSG:n, urn:ogc:def:crs:EPSG::n, urn:x-ogc:def:crs:EPSG:v:n,
     * http://www.opengis.net/def/crs/EPSG/0/n or http://www.opengis.net/gml/srs/epsg.xml#n) gives
     * its system and axis order, as GDAL's GML reader takes them; the geometry is stored longitude
     * (easting) first and carried into the layer's system. A part of a geometry (a Polygon in a
     * MultiSurface) stands in the system it names or else in its geometry's; parts in different
     * systems are carried one by one where they are members of a multi-geometry or rings of a
     * polygon, and refused otherwise. An srsName of another form or an unknown code is refused; a
     * geometry without one is taken to be in the layer's system. A layer holds one geometry per
     * feature: the first geometry attribute that is not empty gives it, and a later one that is
     * neither empty nor the same text is refused.
     *
     * Transactions: where the driver has them (supportsTransactions()) and the host holds none
     * open, the call is one transaction, committed at its end and rolled back on failure. Inside a
     * transaction of the host (beginTransaction()), the call neither commits nor rolls back: after
     * a failure, the host rolls its transaction back to drop what the call had written. Without
     * transactions, what was written before a failure stays.
     * @throws std::logic_error on the first failure, after rolling its own transaction back: a
     *         missing layer or field, a value or geometry refused as above (the message names the
     *         table, the record's id, the field or attribute and the value), a feature the layer
     *         refuses (GDAL's own message), a commit that fails.
     */
    QMap<QString, int> insertData(const QList<XsdTableData> &tables);

private:
    explicit XsdGdalDataProvider(std::unique_ptr<XsdGdalDataProviderPrivate> opened);
    Q_DISABLE_COPY(XsdGdalDataProvider)
    friend class XsdGdalLayerReader;
    friend class XsdGdalRelatedReader;
    std::unique_ptr<XsdGdalDataProviderPrivate> const d;
};

} // namespace pelmak

#endif
