// A host without Qt runs the whole road through the standard-type facade:
//   qtfree_host SCHEMA SOURCE.gpkg EMPTY.gpkg WORKDIR
// SOURCE holds the layers Parcel, Road and SurveyPoint of the sample data, EMPTY the same
// layers without features; the import goes into a copy of EMPTY in WORKDIR. Prints what
// failed and exits with 1, or exits with 0.

#include <dorvellxsd/dorvellxsd_mi.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <list>
#include <map>
#include <string>

// A host registers GDAL's drivers; declared here so that this host needs no GDAL header.
extern "C" void GDALAllRegister();

namespace {

int failures = 0;

void check(bool condition, const std::string &what)
{
    if (!condition) {
        std::cerr << "FAILED: " << what << '\n';
        ++failures;
    }
}

std::string readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const std::list<std::string> Tables = {"Parcel", "Road", "SurveyPoint"};

// Exports the tables of a source into one document, straight to the file.
void exportTables(const pelmak::mi::XsdTables &tables, const std::string &source, const std::string &document)
{
    const pelmak::mi::XsdGdalDataProvider provider(source, true);
    pelmak::mi::XsdXmlStreamWriter writer(document);
    for (const std::string &name : Tables) {
        pelmak::mi::XsdGdalLayerReader reader(provider, tables.tableByName(name), "");
        while (!reader.atEnd())
            writer.writeTableData(reader.readBatch(64));
    }
    writer.commit();
    check(writer.featureCount() == 150 + 40 + 80, "features written");
}

// Reads a document back in small batches.
std::list<pelmak::mi::XsdTableData> readInBatches(pelmak::mi::XsdXmlStreamReader &reader)
{
    std::list<pelmak::mi::XsdTableData> records;
    for (std::list<pelmak::mi::XsdTableData> batch = reader.readBatch(64); !batch.empty(); batch = reader.readBatch(64))
        records.splice(records.end(), batch);
    check(reader.atEnd(), "the reader at the end");
    return records;
}

void runRoad(const std::string &schema, const std::string &source, const std::string &empty, const std::string &work)
{
    const std::string target = work + "/цель импорта.gpkg";
    std::filesystem::copy_file(empty, target, std::filesystem::copy_options::overwrite_existing);

    pelmak::mi::XsdProvider provider;
    provider.initFromXsd(schema);
    const pelmak::mi::XsdTables tables = provider.tables();
    check(tables.tableNameList() == std::list<std::string> {"Building", "Parcel", "Rightholder", "Road", "SurveyPoint"},
        "the schema's tables");
    check(pelmak::mi::XsdGdalDataProvider(source, true).layerNames() == Tables, "the source's layers");

    // A path with Cyrillic letters and a blank, in UTF-8.
    const std::string document = work + "/выгрузка обмена.gml";
    exportTables(tables, source, document);

    int diagnostics = 0;
    pelmak::mi::XsdXmlChecker checker;
    checker.loadGrammar(schema, [&](int line, int column, const std::string &text) {
        std::cerr << "  " << line << ':' << column << ": " << text << '\n';
        ++diagnostics;
    });
    check(checker.checkXmlFile(document) == 0 && diagnostics == 0, "the exported document is valid");

    pelmak::mi::XsdXmlTables tree;
    tree.initFromFile(document);
    check(tree.listTables() == Tables, "the document's tables");
    check(tree.getDataFromLayers({}).size() == 150 + 40 + 80, "one record per feature");
    pelmak::mi::XsdXmlStreamReader reader(document);
    const std::list<pelmak::mi::XsdTableData> records = readInBatches(reader);
    check(reader.tablesSeen() == Tables, "the tables the stream reader saw");
    pelmak::mi::XsdGdalDataProvider importTarget(target, false);
    check(importTarget.supportsTransactions() && importTarget.beginTransaction(), "a transaction of the host's");
    check(importTarget.insertData(records)
            == std::map<std::string, int>{{"Parcel", 150}, {"Road", 40}, {"SurveyPoint", 80}},
        "features created per table");
    importTarget.finishTransaction();

    // Read back: the target, exported again, gives the very same document, values and
    // geometries included.
    const std::string again = work + "/из цели.gml";
    exportTables(tables, target, again);
    const std::string original = readFile(document);
    check(original.find("<address>д. Берёзовка, улица Ленина, уч. 1</address>") != std::string::npos,
        "Cyrillic values in the document");
    check(original == readFile(again), "the target holds what the source held");

    // The same road through the exchange services: the same document, and a new GeoPackage.
    pelmak::mi::XsdExportRequest exportRequest;
    exportRequest.schemaPath = schema;
    exportRequest.source = source;
    exportRequest.documentPath = work + "/службой.gml";
    exportRequest.tables = Tables;
    check(pelmak::mi::XsdExport(exportRequest).run().written.size() == Tables.size(), "the export service's tables");
    check(readFile(exportRequest.documentPath) == original, "the export service writes the same document");
    pelmak::mi::XsdImportRequest importRequest;
    importRequest.documentPath = document;
    importRequest.target = work + "/службой.gpkg";
    std::filesystem::remove(importRequest.target);
    importRequest.schemaPath = schema;
    importRequest.tables = Tables;
    importRequest.create = true;
    const pelmak::mi::XsdImportResult imported = pelmak::mi::XsdImport(importRequest).run();
    check(imported.createdLayers.size() == Tables.size() && imported.stored.size() == Tables.size(),
        "the import service makes the layers and stores every table");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::cerr << "usage: qtfree_host SCHEMA SOURCE EMPTY WORKDIR\n";
        return 2;
    }
    GDALAllRegister();
    try {
        runRoad(argv[1], argv[2], argv[3], argv[4]);
    } catch (const std::exception &error) {
        std::cerr << "FAILED with an exception: " << error.what() << '\n';
        return 1;
    }
    if (failures == 0)
        std::cout << "the whole road ran through the standard-type facade\n";
    return failures == 0 ? 0 : 1;
}
