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

#include <hostsupport/hosttransaction.h>
#include <hostsupport/layercreation.h>

#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <QRegularExpression>
#include <QtGlobal>

#include <gdal.h>
#include <gdal_priv.h>
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

using AttributeRow = std::tuple<std::string, int, int, std::string, std::string>;
using TableRow = std::tuple<std::string, std::string, std::vector<AttributeRow>>;

std::vector<AttributeRow> attributeRows(const pelmak::XsdElement &table)
{
    std::vector<AttributeRow> rows;
    for (const pelmak::XsdAttribute &attribute : table.complexType.attributes)
        rows.emplace_back(attribute.name.toStdString(), static_cast<int>(attribute.kind), attribute.minOccurs,
            attribute.userName.toStdString(), attribute.valueType.toStdString());
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
    return std::any_of(names.begin(), names.end(),
        [&](const std::string &candidate) { return toQString(candidate).compare(wanted, Qt::CaseInsensitive) == 0; });
}

// The tables to export: those asked for, each declared by the schema, or else every table of
// the schema that has a layer in the source.
std::list<std::string> tablesToExport(
    const pelmak::mi::XsdTables &tables, const std::list<std::string> &requested, const std::list<std::string> &layers)
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

// Features per batch on both roads: as much of a layer or a document as is in memory at once.
const int BatchSize = 1024;

// One table's features from the source into the document, a batch at a time; the one place where
// export reads a layer.
void copyLayer(const pelmak::mi::XsdGdalDataProvider &source, const pelmak::mi::XsdElement &table,
    const std::string &filter, pelmak::mi::XsdXmlStreamWriter &writer)
{
    pelmak::mi::XsdGdalLayerReader reader(source, table, filter);
    while (!reader.atEnd())
        writer.writeTableData(reader.readBatch(BatchSize));
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

    // Without commit() the writer's destructor drops what it wrote and the earlier file stays.
    pelmak::mi::XsdXmlStreamWriter writer(output);
    int done = 0;
    for (const std::string &name : names) {
        copyLayer(data, tables.tableByName(name), filter, writer);
        if (progress)
            progress(name, ++done, static_cast<int>(names.size()));
    }
    writer.commit();
}

// ---- validation ------------------------------------------------------------------------------

using DiagnosticRow = std::tuple<int, int, std::string>;

// Every schema location goes through the catalogs first; one they do not map reaches the network
// only when the caller allows it, as the command-line tool's --allow-network does.
void applyCatalog(pelmak::mi::XsdXmlChecker &checker, const std::list<std::string> &catalog, bool allowNetwork)
{
    checker.setCatalogFiles(catalog);
    checker.setNetworkAccess(allowNetwork);
}

std::pair<int, std::vector<DiagnosticRow>> validateDocument(
    const std::string &schema, const std::string &document, const std::list<std::string> &catalog, bool allowNetwork)
{
    const QuietCall quiet;
    std::vector<DiagnosticRow> diagnostics;
    pelmak::mi::XsdXmlChecker checker;
    applyCatalog(checker, catalog, allowNetwork);
    // The checker hands its texts over in the local 8-bit encoding; Python receives UTF-8.
    checker.loadGrammar(schema, [&diagnostics](int line, int column, const std::string &text) {
        const QString message = QString::fromLocal8Bit(text.data(), static_cast<int>(text.size()));
        diagnostics.emplace_back(line, column, message.toStdString());
    });
    const int errors = checker.checkXmlFile(document);
    return {errors, std::move(diagnostics)};
}

// ---- reading documents -----------------------------------------------------------------------

std::list<std::string> toStdList(const QStringList &names)
{
    std::list<std::string> list;
    for (const QString &name : names)
        list.push_back(name.toStdString());
    return list;
}

// Once the document is read: every table asked for must have been in it.
void refuseMissingTables(const std::list<std::string> &requested, const std::list<std::string> &seen)
{
    for (const std::string &name : requested) {
        if (!containsIgnoringCase(seen, name))
            refuse("the document has no table '" + name + "'");
    }
}

/**
 * The records of a document's tables (all of them, or those asked for), a batch at a time, for
 * the readers that look inside them; the one place where a document is read into Qt-typed
 * records. Only the batch at hand is in memory.
 */
class RecordBatches
{
public:
    RecordBatches(const std::string &document, const std::list<std::string> &tables)
        : reader(toQString(document))
        , requested(tables)
    {
        for (const std::string &table : tables)
            names.append(toQString(table));
    }

    // Up to @p size features; empty at the end, where a table asked for and never met is refused.
    QList<pelmak::XsdTableData> next(int size)
    {
        const QuietCall quiet;
        QList<pelmak::XsdTableData> batch = reader.readBatch(size, names);
        if (batch.isEmpty())
            refuseMissingTables(requested, toStdList(reader.tablesSeen()));
        return batch;
    }

private:
    pelmak::XsdXmlStreamReader reader;
    std::list<std::string> requested;
    QStringList names;
};

using FeatureRow = std::tuple<std::string, int, py::dict, std::optional<std::string>>;

/**
 * Hands out the features of a document in batches, each read and converted to Python values only
 * when asked for: one batch is in memory, and a caller that stops early pays for the batches it took.
 */
class FeatureBatches
{
public:
    FeatureBatches(const std::string &document, const std::list<std::string> &tables)
        : records(document, tables)
    {
    }

    bool atEnd() const { return finished; }

    std::vector<FeatureRow> next(int size)
    {
        if (size < 1)
            refuse("the batch size must be at least 1");
        std::vector<FeatureRow> batch;
        if (finished)
            return batch;
        const QList<pelmak::XsdTableData> read = records.next(size);
        finished = read.isEmpty();
        for (const pelmak::XsdTableData &data : read) {
            for (const pelmak::XsdFeatureData &feature : data.featureData())
                batch.push_back(toRow(data.tableInfo(), feature));
        }
        return batch;
    }

private:
    static FeatureRow toRow(const pelmak::XsdElement &table, const pelmak::XsdFeatureData &data)
    {
        py::dict values;
        std::optional<std::string> geometry;
        const QList<pelmak::XsdAttribute> &attributes = table.complexType.attributes;
        for (int i = 0; i < attributes.size() && i < data.values.size(); ++i) {
            if (attributes.at(i).kind != pelmak::XsdAttribute::Plain)
                geometry = data.values.at(i).toStdString();
            else
                values[py::str(attributes.at(i).name.toStdString())] = py::str(data.values.at(i).toStdString());
        }
        return {table.name.toStdString(), data.id, std::move(values), std::move(geometry)};
    }

    RecordBatches records;
    bool finished = false;
};

// ---- import ----------------------------------------------------------------------------------

// The srsName of the record's first geometry, empty when there is none.
QString spatialSystemOf(const pelmak::XsdTableData &record)
{
    static const QRegularExpression srsName(QStringLiteral("srsName=\"([^\"]+)\""));
    const QList<pelmak::XsdAttribute> attributes = record.tableInfo().complexType.attributes;
    for (const pelmak::XsdFeatureData &feature : record.featureData()) {
        for (int i = 0; i < attributes.size() && i < feature.values.size(); ++i) {
            if (attributes.at(i).kind != pelmak::XsdAttribute::Plain)
                return srsName.match(feature.values.at(i)).captured(1);
        }
    }
    return {};
}

bool sameDescription(const pelmak::XsdElement &one, const pelmak::XsdElement &other)
{
    if (one.name != other.name || one.complexType.attributes.size() != other.complexType.attributes.size())
        return false;
    for (int i = 0; i < one.complexType.attributes.size(); ++i) {
        if (one.complexType.attributes.at(i).name != other.complexType.attributes.at(i).name)
            return false;
    }
    return true;
}

/**
 * A table as the document describes it: a document leaves out empty optional values, so one
 * table may come with several descriptions. The first of a table's descriptions carries the
 * srsName of the table's first geometry.
 */
struct DocumentTable
{
    pelmak::XsdElement description;
    QString srsName;
};

// Each distinct description of the tables asked for, in order of appearance; one streaming pass.
std::vector<DocumentTable> documentTables(const std::string &document, const std::list<std::string> &tables)
{
    std::vector<DocumentTable> found;
    RecordBatches records(document, tables);
    for (QList<pelmak::XsdTableData> batch = records.next(BatchSize); !batch.isEmpty();
         batch = records.next(BatchSize)) {
        for (const pelmak::XsdTableData &record : batch) {
            const pelmak::XsdElement &table = record.tableInfo();
            const QString system = spatialSystemOf(record);
            const auto first = std::find_if(found.begin(), found.end(),
                [&](const DocumentTable &known) { return known.description.name == table.name; });
            if (first != found.end() && first->srsName.isEmpty())
                first->srsName = system;
            const bool met = std::any_of(found.begin(), found.end(),
                [&](const DocumentTable &known) { return sameDescription(known.description, table); });
            if (!met)
                found.push_back({table, first == found.end() ? system : QString()});
        }
    }
    return found;
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

// Layers for the document's tables that the target lacks, described by the schema when one is
// given (the document leaves out empty optional values, so it may not name every attribute).
void createMissingLayers(const std::string &target, const std::vector<DocumentTable> &found, const std::string &schema)
{
    const pelmak::XsdTables tables = schema.empty() ? pelmak::XsdTables() : readTables(schema);
    GDALDatasetUniquePtr dataset = openOrCreateGeoPackage(target);
    std::list<std::string> existing;
    for (OGRLayer *layer : dataset->GetLayers())
        existing.push_back(layer->GetName());
    for (const DocumentTable &documentTable : found) {
        pelmak::XsdElement table = documentTable.description;
        if (containsIgnoringCase(existing, table.name.toStdString()))
            continue;
        if (!schema.empty()) {
            table = tables.tableByName(table.name);
            if (table.name.isEmpty())
                refuse("the schema declares no table '" + documentTable.description.name.toStdString() + "'");
        }
        hostsupport::createLayer(*dataset, table, documentTable.srsName);
        existing.push_back(table.name.toStdString());
    }
}

/*
 * Without transactions nothing can be taken back, so every description of the document's tables
 * must find its layer and fields before the first feature is written: the provider checks them
 * when given the descriptions without features.
 */
void checkTargetBeforeWriting(pelmak::mi::XsdGdalDataProvider &target, const std::vector<DocumentTable> &found)
{
    std::list<pelmak::mi::XsdTableData> descriptions;
    for (const DocumentTable &table : found)
        descriptions.emplace_back(pelmak::XsdTableData(table.description, {}));
    target.insertData(descriptions);
}

// The document's features into the target, batch after batch; the number created per table.
std::map<std::string, int> insertBatches(
    pelmak::mi::XsdGdalDataProvider &target, const std::string &document, const std::list<std::string> &tables)
{
    pelmak::mi::XsdXmlStreamReader reader(document);
    std::map<std::string, int> counts;
    for (std::list<pelmak::mi::XsdTableData> batch = reader.readBatch(BatchSize, tables); !batch.empty();
         batch = reader.readBatch(BatchSize, tables)) {
        for (const auto &[table, count] : target.insertData(batch))
            counts[table] += count;
    }
    refuseMissingTables(tables, reader.tablesSeen());
    return counts;
}

std::map<std::string, int> importDocument(const std::string &document, const std::string &target,
    const std::list<std::string> &tables, bool create, const std::string &schema, bool allowPartial)
{
    const QuietCall quiet;
    std::vector<DocumentTable> found;
    if (create) {
        found = documentTables(document, tables);
        createMissingLayers(target, found, schema);
    }

    pelmak::mi::XsdGdalDataProvider provider(target, false);
    return hostsupport::importInOneTransaction(
        provider, target, allowPartial, "pass allow_partial=True",
        [&] { checkTargetBeforeWriting(provider, create ? found : documentTables(document, tables)); },
        [&] { return insertBatches(provider, document, tables); });
}

// ---- writing documents -----------------------------------------------------------------------

using NewFeature = std::tuple<int, std::map<std::string, std::optional<std::string>>, std::optional<std::string>>;

/**
 * Writes features of the schema's tables into one document as they come. The text goes to a file
 * beside the path, which replaces the path's file in commit(); a writer discarded or never
 * committed leaves the earlier file alone.
 */
class DocumentWriter
{
public:
    DocumentWriter(const std::string &schema, const std::string &path)
        : tables(readTables(schema))
        , writer(openWriter(path))
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
        open().writeTableData(pelmak::mi::XsdTableData(pelmak::XsdTableData(table, rows)));
        written += static_cast<int>(features.size());
    }

    void commit()
    {
        const QuietCall quiet;
        open().commit();
        writer.reset();
    }

    // Drops what was written; the file beside the path goes at once, not when Python collects this.
    void discard() { writer.reset(); }

    int featureCount() const { return written; }

private:
    static std::unique_ptr<pelmak::mi::XsdXmlStreamWriter> openWriter(const std::string &path)
    {
        const QuietCall quiet;
        return std::make_unique<pelmak::mi::XsdXmlStreamWriter>(path);
    }

    pelmak::mi::XsdXmlStreamWriter &open()
    {
        if (!writer)
            refuse("the document was committed or discarded already");
        return *writer;
    }

    // The values in the table's attribute order; a name the table does not have, or no value
    // for a required attribute, is refused rather than written as nothing.
    static pelmak::XsdFeatureData toFeatureData(const pelmak::XsdElement &table, const NewFeature &feature)
    {
        const auto &[id, values, geometry] = feature;
        const std::string where = "table " + table.name.toStdString() + ", feature " + std::to_string(id);
        for (const auto &value : values) {
            const bool known = std::any_of(table.complexType.attributes.begin(), table.complexType.attributes.end(),
                [&](const pelmak::XsdAttribute &a) {
                    return a.kind == pelmak::XsdAttribute::Plain && a.name == toQString(value.first);
                });
            if (!known)
                refuse(where + ": the table has no attribute '" + value.first + "'");
        }
        if (geometry && !hostsupport::hasGeometry(table))
            refuse(where + ": the table has no geometry");
        pelmak::XsdFeatureData data;
        data.id = id;
        for (const pelmak::XsdAttribute &attribute : table.complexType.attributes) {
            std::optional<std::string> value;
            if (attribute.kind != pelmak::XsdAttribute::Plain) {
                value = geometry;
            } else {
                const auto found = values.find(attribute.name.toStdString());
                if (found != values.end())
                    value = found->second;
            }
            if (!value && attribute.minOccurs > 0) {
                const std::string field = attribute.kind != pelmak::XsdAttribute::Plain
                    ? std::string("the geometry")
                    : "the attribute '" + attribute.name.toStdString() + "'";
                refuse(where + ": no value for " + field + ", which the schema requires");
            }
            data.values.append(toQString(value.value_or(std::string())));
        }
        return data;
    }

    pelmak::XsdTables tables;
    // The one place where the writer road meets the library's document writer; none once the
    // document is committed or discarded.
    std::unique_ptr<pelmak::mi::XsdXmlStreamWriter> writer;
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
        "Tables of the schema: (name, type, [(attribute, kind, min_occurs, annotation, value_type)]).");
    m.def("export_document", &exportDocument, py::arg("schema"), py::arg("source"), py::arg("output"),
        py::arg("tables"), py::arg("where"), py::arg("progress"),
        "Writes the tables of the source to one exchange document; progress(table, done, total).");
    m.def("validate_document", &validateDocument, py::arg("schema"), py::arg("document"), py::arg("catalog"),
        py::arg("allow_network"),
        "Validates the document, schema locations resolved through the catalog files and reaching the network"
        " only with allow_network: (error count, [(line, column, message)]).");
    m.def("import_document", &importDocument, py::arg("document"), py::arg("target"), py::arg("tables"),
        py::arg("create"), py::arg("schema"), py::arg("allow_partial"),
        "Inserts the document's features into the target in one transaction, or without one where"
        " allow_partial; the count per table.");

    py::class_<FeatureBatches>(m, "FeatureBatches", "The features of a document, batch by batch.")
        .def(py::init<const std::string &, const std::list<std::string> &>(), py::arg("document"), py::arg("tables"))
        .def("at_end", &FeatureBatches::atEnd, "Whether every feature was handed out.")
        .def("next", &FeatureBatches::next, py::arg("size"),
            "Up to size features: (table, id, {attribute: value}, geometry or None).");

    py::class_<DocumentWriter>(m, "DocumentWriter", "Features of a schema's tables on their way to a document.")
        .def(py::init<const std::string &, const std::string &>(), py::arg("schema"), py::arg("path"))
        .def("write", &DocumentWriter::write, py::arg("table"), py::arg("features"),
            "Appends features given as (id, {attribute: value}, geometry or None).")
        .def("commit", &DocumentWriter::commit, "Saves the document, replacing the file whole.")
        .def("discard", &DocumentWriter::discard, "Drops the document; the earlier file stays.")
        .def_property_readonly("feature_count", &DocumentWriter::featureCount, "Features written so far.");
}
