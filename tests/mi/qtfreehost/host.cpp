// A host without Qt runs the whole road through the standard-type facade:
//   qtfree_host SCHEMA SOURCE.gpkg EMPTY.gpkg WORKDIR
// SOURCE holds the layers Parcel, Road and SurveyPoint of the sample data, EMPTY the same
// layers without features; the import goes into a copy of EMPTY in WORKDIR. (Each class of the
// facade on its own: tests/mi/facade_test.cpp.) Prints what
// failed and exits with 1, or exits with 0.

#include <dorvellxsd/dorvellxsd_mi.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <list>
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

std::string exportTables(const std::string &schema, const std::string &source, const std::string &document)
{
    pelmak::mi::XsdExportRequest request;
    request.schemaPath = schema;
    request.source = source;
    request.documentPath = document;
    request.tables = Tables;
    check(pelmak::mi::XsdExport(request).run().written.size() == Tables.size(), "the tables exported");
    return readFile(document);
}

void runRoad(const std::string &schema, const std::string &source, const std::string &empty, const std::string &work)
{
    pelmak::mi::XsdProvider provider;
    provider.initFromXsd(schema);
    check(provider.tables().tableNameList()
            == std::list<std::string>{"Building", "Parcel", "Rightholder", "Road", "SurveyPoint"},
        "the schema's tables");
    check(pelmak::mi::XsdGdalDataProvider(empty, true).layerNames() == Tables, "the target's layers");

    // A path with Cyrillic letters and a blank, in UTF-8.
    const std::string document = work + "/выгрузка обмена.gml";
    const std::string original = exportTables(schema, source, document);
    check(original.find("<address>д. Берёзовка, улица Ленина, уч. 1</address>") != std::string::npos,
        "Cyrillic values in the document");
    int diagnostics = 0;
    pelmak::mi::XsdXmlChecker checker;
    checker.loadGrammar(schema, [&](int line, int column, const std::string &text) {
        std::cerr << "  " << line << ':' << column << ": " << text << '\n';
        ++diagnostics;
    });
    check(checker.checkXmlFile(document) == 0 && diagnostics == 0, "the exported document is valid");

    pelmak::mi::XsdImportRequest request;
    request.documentPath = document;
    request.target = work + "/цель импорта.gpkg";
    std::filesystem::copy_file(empty, request.target, std::filesystem::copy_options::overwrite_existing);
    const pelmak::mi::XsdImportResult imported = pelmak::mi::XsdImport(request).run();
    check(imported.stored.size() == Tables.size(), "the import stores every table");
    // The target, exported again, gives the very same document, values and geometries included.
    check(exportTables(schema, request.target, work + "/из цели.gml") == original,
        "the target holds what the source held");
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
