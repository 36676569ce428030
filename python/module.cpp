// The native part of the Python package dorvellxsd: a host of the library, like the command-line
// tool. The roads (export, validation, import) run through the standard-type facade; where a
// caller needs to see inside a table description or a record, which the facade keeps opaque,
// the Qt-typed value classes are read and converted here. The Python layer (dorvellxsd/*.py)
// adds paths, defaults, data classes and the feature locator of diagnostics.
//
// Every call keeps the interpreter lock: Xerces-C's platform start and GDAL's driver registry
// are not safe to enter from two threads, and the library itself starts no thread.

#include <dorvellxsd/dorvellxsd.h>
#include <dorvellxsd/dorvellxsd_mi.h>

#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <QRegularExpression>
#include <QtGlobal>

#include <gdal.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

// ---- text and errors -------------------------------------------------------------------------

QString toQString(const std::string &text)
{
    return QString::fromStdString(text);
}

// Module-level refusals (an argument the library would not see) are the library's kind of
// refusal too, so that a caller catches one class for both.
[[noreturn]] void refuse(const std::string &message)
{
    throw std::logic_error(message);
}

void raisePython(const char *errorClass, const char *utf8Message)
{
    const py::object errors = py::module_::import("dorvellxsd._errors");
    const py::object message = py::reinterpret_steal<py::object>(
        PyUnicode_DecodeUTF8(utf8Message, static_cast<Py_ssize_t>(std::strlen(utf8Message)), "replace"));
    PyErr_SetObject(errors.attr(errorClass).ptr(), message.ptr());
}

// The library refuses with std::logic_error and fails to open a data source with
// std::runtime_error; pybind11's own errors (also runtime errors) keep their Python classes.
void translateLibraryErrors(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const py::builtin_exception &) {
        throw;
    } catch (const std::logic_error &e) {
        raisePython("RefusedError", e.what());
    } catch (const std::runtime_error &e) {
        raisePython("DataSourceError", e.what());
    }
}

void dropDebugMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

/**
 * For the length of one call: the library's debug line and GDAL's own printing of errors,
 * which the library's exceptions carry already, stay quiet; the host's handlers come back after.
 */
class QuietCall
{
public:
    QuietCall()
        : previousQtHandler(qInstallMessageHandler(&dropDebugMessages))
    {
        CPLPushErrorHandler(CPLQuietErrorHandler);
    }
    ~QuietCall()
    {
        CPLPopErrorHandler();
        qInstallMessageHandler(previousQtHandler);
    }
    QuietCall(const QuietCall &) = delete;
    QuietCall &operator=(const QuietCall &) = delete;

private:
    QtMessageHandler previousQtHandler;
};

// ---- schema ----------------------------------------------------------------------------------

pelmak::XsdTables readTables(const std::string &schema)
{
    const QuietCall quiet;
    pelmak::XsdProvider provider;
    provider.initFromXsd(toQString(schema));
    return provider.tables();
}

using AttributeRow = std::tuple<std::string, int, int, std::string>;
using TableRow = std::tuple<std::string, std::string, std::vector<AttributeRow>>;

std::vector<AttributeRow> attributeRows(const pelmak::XsdElement &table)
{
    std::vector<AttributeRow> rows;
    for (const pelmak::XsdAttribute &attribute : table.complexType.attributes)
        rows.emplace_back(attribute.name.toStdString(), static_cast<int>(attribute.kind), attribute.minOccurs,
                          attribute.userName.toStdString());
    return rows;
}

// Every table the library's lookups reach: of tables whose names are equal or differ only in
// letter case, the lookups (and so export) find the first, and only that one is listed.
std::vector<TableRow> describeSchema(const std::string &schema)
{
    const pelmak::XsdTables tables = readTables(schema);
    std::vector<TableRow> rows;
    QStringList listed;
    for (const QString &name : tables.tableNameList()) {
        const pelmak::XsdElement table = tables.tableByName(name);
        if (listed.contains(table.name, Qt::CaseInsensitive))
            continue;
        listed.append(table.name);
        rows.emplace_back(table.name.toStdString(), table.type.toStdString(), attributeRows(table));
    }
    return rows;
}

// ---- export ----------------------------------------------------------------------------------

bool containsIgnoringCase(const std::list<std::string> &names, const std::string &name)
{
    const QString wanted = toQString(name);
    return std::any_of(names.begin(), names.end(), [&](const std::string &candidate) {
        return toQString(candidate).compare(wanted, Qt::CaseInsensitive) == 0;
    });
}

// The tables to export: those asked for, each declared by the schema, or else every table of
// the schema that has a layer in the source.
std::list<std::string> tablesToExport(const pelmak::mi::XsdTables &tables, const std::list<std::string> &requested,
                                      const std::list<std::string> &layers)
{
    const std::list<std::string> declared = tables.tableNameList();
    if (!requested.empty()) {
        for (const std::string &name : requested) {
            if (std::find(declared.begin(), declared.end(), name) == declared.end())
                refuse("the schema declares no table '" + name + "'");
        }
        return requested;
    }
    std::list<std::string> present;
    for (const std::string &name : declared) {
        // Of names that differ only in case the lookups reach the first table alone.
        if (containsIgnoringCase(layers, name) && !containsIgnoringCase(present, name))
            present.push_back(name);
    }
    if (present.empty())
        refuse("no table of the schema has a layer in the data source");
    return present;
}

// One table's features from the source; the one place where export reads a layer.
pelmak::mi::XsdTableData readLayer(const pelmak::mi::XsdGdalDataProvider &source, const pelmak::mi::XsdTables &tables,
                                   const std::string &table, const std::string &filter)
{
    return source.getDataFromLayer(tables.tableByName(table), filter);
}

using Progress = std::function<void(const std::string &, int, int)>;

void exportDocument(const std::string &schema, const std::string &source, const std::string &output,
                    const std::list<std::string> &requested, const std::string &filter, const Progress &progress)
{
    const QuietCall quiet;
    pelmak::mi::XsdProvider provider;
    provider.initFromXsd(schema);
    const pelmak::mi::XsdTables tables = provider.tables();
    const pelmak::mi::XsdGdalDataProvider data(source, true);
    const std::list<std::string> names = tablesToExport(tables, requested, data.layerNames());

    pelmak::mi::XsdXmlWriter writer;
    int done = 0;
    for (const std::string &name : names) {
        writer.writeTableData(readLayer(data, tables, name, filter));
        if (progress)
            progress(name, ++done, static_cast<int>(names.size()));
    }
    writer.writeToFile(output);
}

// ---- validation ------------------------------------------------------------------------------

using DiagnosticRow = std::tuple<int, int, std::string>;

// Catalog files map the namespaces a schema imports to local copies; the checker of this build
// resolves every import by its schemaLocation, so there is nothing to hand them to yet.
void applyCatalog(pelmak::mi::XsdXmlChecker &, const std::list<std::string> &)
{
}

std::pair<int, std::vector<DiagnosticRow>> validateDocument(const std::string &schema, const std::string &document,
                                                            const std::list<std::string> &catalog)
{
    const QuietCall quiet;
    std::vector<DiagnosticRow> diagnostics;
    pelmak::mi::XsdXmlChecker checker;
    applyCatalog(checker, catalog);
    // The checker hands its texts over in the local 8-bit encoding; Python receives UTF-8.
    checker.loadGrammar(schema, [&diagnostics](int line, int column, const std::string &text) {
        const QString message = QString::fromLocal8Bit(text.data(), static_cast<int>(text.size()));
        diagnostics.emplace_back(line, column, message.toStdString());
    });
    const int errors = checker.checkXmlFile(document);
    return {errors, std::move(diagnostics)};
}

// ---- reading documents -----------------------------------------------------------------------

// The document's records, its tree let go before they are used; the one place where a
// document is read into records.
QList<pelmak::XsdTableData> readRecords(const std::string &document, const std::list<std::string> &tables)
{
    const QuietCall quiet;
    pelmak::XsdXmlTables reader;
    reader.initFromFile(toQString(document));
    QStringList names;
    for (const std::string &table : tables)
        names.append(toQString(table));
    return reader.getDataFromLayers(names);
}

using FeatureRow = std::tuple<std::string, int, py::dict, std::optional<std::string>>;

/**
 * Hands out the features of a document in batches, converted to Python values only when asked
 * for, so that a caller that stops early pays for the batches it took.
 */
class FeatureBatches
{
public:
    FeatureBatches(const std::string &document, const std::list<std::string> &tables)
        : records(readRecords(document, tables))
    {
    }

    bool atEnd() const { return record >= records.size(); }

    std::vector<FeatureRow> next(int size)
    {
        if (size < 1)
            refuse("the batch size must be at least 1");
        std::vector<FeatureRow> batch;
        while (!atEnd() && static_cast<int>(batch.size()) < size) {
            const pelmak::XsdTableData &data = records.at(record);
            if (feature == 0) {
                table = data.tableInfo();
                features = data.featureData();
            }
            if (feature < features.size())
                batch.push_back(toRow(features.at(feature++)));
            if (feature >= features.size()) {
                feature = 0;
                features.clear();
                // Each record is dropped once handed out.
                records[record++] = pelmak::XsdTableData(pelmak::XsdElement(), {});
            }
        }
        return batch;
    }

private:
    FeatureRow toRow(const pelmak::XsdFeatureData &data) const
    {
        py::dict values;
        std::optional<std::string> geometry;
        const QList<pelmak::XsdAttribute> &attributes = table.complexType.attributes;
        for (int i = 0; i < attributes.size() && i < data.values.size(); ++i) {
            if (attributes.at(i).kind == pelmak::XsdAttribute::Geometry)
                geometry = data.values.at(i).toStdString();
            else
                values[py::str(attributes.at(i).name.toStdString())] = py::str(data.values.at(i).toStdString());
        }
        return {table.name.toStdString(), data.id, std::move(values), std::move(geometry)};
    }

    QList<pelmak::XsdTableData> records;
    int record = 0;
    pelmak::XsdElement table;
    QList<pelmak::XsdFeatureData> features;
    int feature = 0;
};

// ---- import ----------------------------------------------------------------------------------

bool hasGeometry(const pelmak::XsdElement &table)
{
    const QList<pelmak::XsdAttribute> &attributes = table.complexType.attributes;
    return std::any_of(attributes.begin(), attributes.end(),
                       [](const pelmak::XsdAttribute &a) { return a.kind == pelmak::XsdAttribute::Geometry; });
}

// The srsName of the record's first geometry, empty when there is none.
QString spatialSystemOf(const pelmak::XsdTableData &record)
{
    static const QRegularExpression srsName(QStringLiteral("srsName=\"([^\"]+)\""));
    const QList<pelmak::XsdAttribute> attributes = record.tableInfo().complexType.attributes;
    for (const pelmak::XsdFeatureData &feature : record.featureData()) {
        for (int i = 0; i < attributes.size() && i < feature.values.size(); ++i) {
            if (attributes.at(i).kind == pelmak::XsdAttribute::Geometry)
                return srsName.match(feature.values.at(i)).captured(1);
        }
    }
    return {};
}

[[noreturn]] void failOnTarget(const std::string &what)
{
    throw std::runtime_error(what + ": " + CPLGetLastErrorMsg());
}

GDALDatasetUniquePtr openOrCreateGeoPackage(const std::string &path)
{
    VSIStatBufL status;
    if (VSIStatL(path.c_str(), &status) == 0) {
        GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
        if (!dataset)
            failOnTarget("cannot open " + path + " for update");
        return dataset;
    }
    GDALDriver *driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    GDALDatasetUniquePtr dataset(driver ? driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr);
    if (!dataset)
        failOnTarget("cannot create the GeoPackage " + path);
    return dataset;
}

// A layer for a table: a text field per plain attribute and, for a table with a geometry, a
// geometry column in the system that @p srsName names.
void createLayer(GDALDataset &dataset, const pelmak::XsdElement &table, const QString &srsName)
{
    const std::string name = table.name.toStdString();
    OGRSpatialReference system;
    system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const bool withSystem = !srsName.isEmpty() && system.SetFromUserInput(srsName.toUtf8().constData()) == OGRERR_NONE;
    OGRLayer *layer = dataset.CreateLayer(name.c_str(), withSystem ? &system : nullptr,
                                          hasGeometry(table) ? wkbUnknown : wkbNone, nullptr);
    if (!layer)
        failOnTarget("cannot create the layer " + name);
    for (const pelmak::XsdAttribute &attribute : table.complexType.attributes) {
        if (attribute.kind != pelmak::XsdAttribute::Plain)
            continue;
        OGRFieldDefn field(attribute.name.toUtf8().constData(), OFTString);
        if (layer->CreateField(&field) != OGRERR_NONE)
            failOnTarget("cannot create the field " + attribute.name.toStdString() + " of " + name);
    }
}

// Layers for the records' tables that the target lacks, described by the schema when one is
// given (the document leaves out empty optional values, so it may not name every attribute).
void createMissingLayers(const std::string &target, const QList<pelmak::XsdTableData> &records,
                         const std::string &schema)
{
    const pelmak::XsdTables tables = schema.empty() ? pelmak::XsdTables() : readTables(schema);
    GDALDatasetUniquePtr dataset = openOrCreateGeoPackage(target);
    std::list<std::string> existing;
    for (OGRLayer *layer : dataset->GetLayers())
        existing.push_back(layer->GetName());
    for (const pelmak::XsdTableData &record : records) {
        pelmak::XsdElement table = record.tableInfo();
        if (containsIgnoringCase(existing, table.name.toStdString()))
            continue;
        if (!schema.empty()) {
            table = tables.tableByName(table.name);
            if (table.name.isEmpty())
                refuse("the schema declares no table '" + record.tableInfo().name.toStdString() + "'");
        }
        createLayer(*dataset, table, spatialSystemOf(record));
        existing.push_back(table.name.toStdString());
    }
}

std::map<std::string, int> importDocument(const std::string &document, const std::string &target,
                                          const std::list<std::string> &tables, bool create, const std::string &schema)
{
    const QList<pelmak::XsdTableData> records = readRecords(document, tables);
    const QuietCall quiet;
    if (create)
        createMissingLayers(target, records, schema);
    std::list<pelmak::mi::XsdTableData> facadeRecords;
    for (const pelmak::XsdTableData &record : records)
        facadeRecords.emplace_back(record);
    return pelmak::mi::XsdGdalDataProvider(target, false).insertData(facadeRecords);
}

// ---- writing documents -----------------------------------------------------------------------

using NewFeature = std::tuple<int, std::map<std::string, std::optional<std::string>>, std::optional<std::string>>;

/**
 * Collects features of the schema's tables and saves them as one document. The document lives
 * in memory until commit(); a writer that is never committed leaves the file alone.
 */
class DocumentWriter
{
public:
    DocumentWriter(const std::string &schema, const std::string &documentPath)
        : tables(readTables(schema))
        , path(documentPath)
    {
    }

    void write(const std::string &tableName, const std::vector<NewFeature> &features)
    {
        const pelmak::XsdElement table = tables.tableByName(toQString(tableName));
        if (table.name.isEmpty())
            refuse("the schema declares no table '" + tableName + "'");
        QList<pelmak::XsdFeatureData> rows;
        for (const NewFeature &feature : features)
            rows.append(toFeatureData(table, feature));
        const QuietCall quiet;
        writer.writeTableData(pelmak::mi::XsdTableData(pelmak::XsdTableData(table, rows)));
        written += static_cast<int>(features.size());
    }

    void commit()
    {
        const QuietCall quiet;
        writer.writeToFile(path);
    }

    int featureCount() const { return written; }

private:
    // The values in the table's attribute order; a name the table does not have, or no value
    // for a required attribute, is refused rather than written as nothing.
    static pelmak::XsdFeatureData toFeatureData(const pelmak::XsdElement &table, const NewFeature &feature)
    {
        const auto &[id, values, geometry] = feature;
        const std::string where = "table " + table.name.toStdString() + ", feature " + std::to_string(id);
        for (const auto &value : values) {
            const bool known = std::any_of(table.complexType.attributes.begin(), table.complexType.attributes.end(),
                                           [&](const pelmak::XsdAttribute &a) {
                                               return a.kind == pelmak::XsdAttribute::Plain
                                                   && a.name == toQString(value.first);
                                           });
            if (!known)
                refuse(where + ": the table has no attribute '" + value.first + "'");
        }
        if (geometry && !hasGeometry(table))
            refuse(where + ": the table has no geometry");
        pelmak::XsdFeatureData data;
        data.id = id;
        for (const pelmak::XsdAttribute &attribute : table.complexType.attributes) {
            std::optional<std::string> value;
            if (attribute.kind == pelmak::XsdAttribute::Geometry) {
                value = geometry;
            } else {
                const auto found = values.find(attribute.name.toStdString());
                if (found != values.end())
                    value = found->second;
            }
            if (!value && attribute.minOccurs > 0) {
                const std::string field = attribute.kind == pelmak::XsdAttribute::Geometry
                    ? std::string("the geometry") : "the attribute '" + attribute.name.toStdString() + "'";
                refuse(where + ": no value for " + field + ", which the schema requires");
            }
            data.values.append(toQString(value.value_or(std::string())));
        }
        return data;
    }

    pelmak::XsdTables tables;
    std::string path;
    // The one place where the writer road meets the library's document writer.
    pelmak::mi::XsdXmlWriter writer;
    int written = 0;
};

void registerGdalDrivers()
{
    // A host that embeds Python may have registered them already, with drivers of its own.
    if (GDALGetDriverCount() == 0)
        GDALAllRegister();
}

} // namespace

PYBIND11_MODULE(_core, m)
{
    m.doc() = "Native part of dorvellxsd; use the package dorvellxsd instead.";
    registerGdalDrivers();
    py::register_exception_translator(&translateLibraryErrors);

    m.def("describe_schema", &describeSchema, py::arg("schema"),
          "Tables of the schema: (name, type, [(attribute, kind, min_occurs, annotation)]).");
    m.def("export_document", &exportDocument, py::arg("schema"), py::arg("source"), py::arg("output"),
          py::arg("tables"), py::arg("where"), py::arg("progress"),
          "Writes the tables of the source to one exchange document; progress(table, done, total).");
    m.def("validate_document", &validateDocument, py::arg("schema"), py::arg("document"), py::arg("catalog"),
          "Validates the document: (error count, [(line, column, message)]).");
    m.def("import_document", &importDocument, py::arg("document"), py::arg("target"), py::arg("tables"),
          py::arg("create"), py::arg("schema"), "Inserts the document's features into the target; the count per table.");

    py::class_<FeatureBatches>(m, "FeatureBatches", "The features of a document, batch by batch.")
        .def(py::init<const std::string &, const std::list<std::string> &>(), py::arg("document"),
             py::arg("tables"))
        .def("at_end", &FeatureBatches::atEnd, "Whether every feature was handed out.")
        .def("next", &FeatureBatches::next, py::arg("size"),
             "Up to size features: (table, id, {attribute: value}, geometry or None).");

    py::class_<DocumentWriter>(m, "DocumentWriter", "Features of a schema's tables on their way to a document.")
        .def(py::init<const std::string &, const std::string &>(), py::arg("schema"), py::arg("path"))
        .def("write", &DocumentWriter::write, py::arg("table"), py::arg("features"),
             "Appends features given as (id, {attribute: value}, geometry or None).")
        .def("commit", &DocumentWriter::commit, "Saves the document, replacing the file whole.")
        .def_property_readonly("feature_count", &DocumentWriter::featureCount, "Features written so far.");
}
