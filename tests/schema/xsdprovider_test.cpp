#include "../logicerror.h"
#include "schematestsupport.h"

#include <dorvellxsd/schema/xsdprovider.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace pelmak;

namespace {

QString schemaPath(const QString &fileName)
{
    return DORVELLXSD_TEST_DATA_DIR "/xsd/" + fileName;
}

QStringList loggedLines;

void captureLog(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    loggedLines.append(QString::number(type) + ' ' + context.category + ' ' + text);
}

// Every table as "name: attributes" in document order of the lookups, so that one comparison
// checks a whole model.
QStringList describeTables(const XsdTables &tables)
{
    QStringList lines;
    for (const QString &name : tables.tableNameList()) {
        const XsdElement table = tables.tableByName(name);
        lines.append(name + " (" + table.type + "): " + describe(table.complexType.attributes));
    }
    lines.removeDuplicates();
    return lines;
}

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &text)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

} // namespace

// patterns.xsd is the pattern stored exchange schemas are written in, with the quirks callers
// rely on; its comments say what each declaration gives.
TEST(XsdProvider, ReadsTheDeclarationPatternAsBefore)
{
    loggedLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    XsdProvider provider;
    provider.initFromXsd(schemaPath("patterns.xsd"));
    qInstallMessageHandler(previous);
    EXPECT_EQ(loggedLines, QStringList{"0 default 10 4 tables 7"}) << "global elements, types, tables";

    const XsdTables tables = provider.tables();
    EXPECT_EQ(tables.tableNameList(), (QStringList{"Marker", "Parcel", "Road", "Road", "ZONE", "Zone", "Участок"}));
    EXPECT_EQ(tables.gmlVersion(), XsdTables::GmlVersion::Gml311);
    // Lookups answer for the earliest table, so they show the document order.
    EXPECT_EQ(tables.tableByName("zone").type, "ZoneType");
    EXPECT_EQ(provider.skippedDeclarations().size(), 3);
    for (const char *name : {"NoGroup", "OtherGroup", "LowerCaseGroup", "Attr", "Deep"})
        EXPECT_TRUE(tables.tableByName(name).name.isEmpty()) << name;

    // Declared after its elements, with annotations before the content; minOccurs absent, 0,
    // not a number and 2.
    const XsdElement parcel = tables.tableByName("Parcel");
    EXPECT_EQ(parcel.type, "ParcelType");
    EXPECT_EQ(parcel.complexType.name, "ParcelType");
    const QString parcelColumns = "code P 1 Кадастровый номер|Geometry G 1|note P 0|count P 0|rank P 2";
    EXPECT_EQ(describe(parcel.complexType.attributes), parcelColumns);
    EXPECT_EQ(tables.tableByName("Участок").type, "ParcelType");
    // The later of two declarations wins; two choices give two geometries, each required.
    EXPECT_EQ(describe(tables.attributes("road")), "name P 1 Название|Geometry G 1|Geometry G 1");
    EXPECT_EQ(describe(tables.attributes("Marker")), "Geometry G 1");
    EXPECT_EQ(describe(tables.attributes("Zone")), parcelColumns + "|zoneCode P 0");
}

// One schema per form of writing: prefixes, includes and imports, references, groups, nested
// content, derivation, GML 3.2, the application's own feature heads, and the exchange schema;
// each with its GML version and target namespace.
TEST(XsdProvider, ReadsSchemasByMeaning)
{
    using Version = XsdTables::GmlVersion;
    const struct
    {
        const char *file;
        QStringList tables;
        Version version;
        QStringList skipped;
        QString targetNamespace = "urn:pelmak:exchange";
    } cases[] = {
        {"default-namespace.xsd", {"Well (WellType): location GP 0|depth P 1|casing GP 1|status P 0"}, Version::Gml311,
            {}, "urn:example:wells"},
        {"xsd-prefix.xsd", {"Well (WellType): depth P 1"}, Version::Gml311, {}},
        {"gml32.xsd",
            {"Pipe (PipeType): owner P 1|route GP 1|diameter P 0",
                "PressurePipe (PipeType): owner P 1|route GP 1|diameter P 0"},
            Version::Gml32,
            {"AbstractAsset (строка 9) не таблица: элемент абстрактный",
                "Network (строка 13) не таблица: элемент — коллекция объектов "
                "(группа замены gml:AbstractFeatureCollection)"},
            "urn:example:network"},
        {"include/main.xsd",
            {"Building (BuildingType): cadastralNumber P 1 Кадастровый номер|shape GP 1|floors P 1",
                "Parcel (ParcelType): cadastralNumber P 1 Кадастровый номер|shape GP 1"},
            Version::Gml311, {}, "urn:example:land"},
        {"content.xsd",
            {"Plot (Plot): code P 1 Номер участка|street P 1|house P 0|note P 0|ownerName P 0|ownerId P 0|Geometry G 1|"
             "centre GP 1"},
            Version::Gml311, {"code (строка 34) не таблица: элемент не входит в группу замены (substitutionGroup)"}},
        {"../exchange/pelmak.xsd",
            {"Building (BuildingType): address P 1 Адрес|floors P 0 Этажность|builtYear P 0 Год постройки|Geometry G 1",
                "Parcel (ParcelType): cadastralNumber P 1 Кадастровый номер|area P 1 Площадь, кв. м|"
                "landUse P 0 Вид разрешённого использования|registered P 0 Дата постановки на учёт|Geometry G 1",
                "Road (RoadType): name P 1 Наименование|lanes P 1 Число полос|surface P 0 Покрытие|Geometry G 1",
                "Well (WellType): number P 1 Номер скважины|depth P 0 Глубина, м|Geometry G 1"},
            Version::Gml311, {}},
    };
    for (const auto &expected : cases) {
        SCOPED_TRACE(expected.file);
        XsdProvider provider;
        provider.initFromXsd(schemaPath(expected.file));
        EXPECT_EQ(describeTables(provider.tables()), expected.tables);
        EXPECT_EQ(provider.tables().gmlVersion(), expected.version);
        EXPECT_EQ(provider.tables().targetNamespace(), expected.targetNamespace);
        EXPECT_EQ(provider.skippedDeclarations(), expected.skipped);
    }
}

// Each declaration the reader cannot map exactly refuses the schema, naming file, line and why.
TEST(XsdProvider, RefusesWhatItCannotMap)
{
    const QByteArray head =
        "<?xml version=\"1.0\"?>\n"
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:gml=\"http://www.opengis.net/gml\" xmlns:p=\"urn:pelmak:exchange\" "
        "targetNamespace=\"urn:pelmak:exchange\">\n"
        "<xs:element name=\"T\" type=\"p:TType\" substitutionGroup=\"gml:_Feature\"/>\n";
    const auto type = [](const QByteArray &content, const QByteArray &base = "gml:AbstractFeatureType") {
        return "<xs:complexType name=\"TType\"><xs:complexContent><xs:extension base=\"" + base + "\">\n" + content
            + "\n</xs:extension></xs:complexContent></xs:complexType>\n";
    };
    const auto sequence = [&](const QByteArray &content) { return type("<xs:sequence>" + content + "</xs:sequence>"); };
    const QString notColumn = "таблица T: значение свойства %1 (тип %2) не является ни текстом, ни геометрией GML";
    const QString featureType =
        "таблица T: ожидался сложный тип, расширяющий (xs:complexContent/xs:extension) "
        "gml:AbstractFeatureType или тип другого объекта схемы";
    const struct
    {
        QByteArray body;
        int line;
        QString reason;
    } cases[] = {
        {"<xs:complexType name=\"TType\"><xs:sequence><xs:element name=\"a\"/></xs:sequence></xs:complexType>", 4,
            featureType},
        {"<xs:complexType name=\"TType\"><xs:complexContent><xs:restriction base=\"gml:AbstractFeatureType\"/>"
         "</xs:complexContent></xs:complexType>",
            4, featureType},
        {"<xs:element name=\"U\" type=\"xs:string\" substitutionGroup=\"gml:_Feature\"/>"
                + sequence("<xs:element name=\"a\"/>"),
            4, QString(featureType).replace("таблица T", "таблица U")},
        {"<xs:element name=\"U\" type=\"p:Nothing\" substitutionGroup=\"gml:_Feature\"/>"
                + sequence("<xs:element name=\"a\"/>"),
            4, "p:Nothing не объявлен ни в схеме, ни в подключённых к ней локальных файлах"},
        {type("<xs:sequence>\n<xs:element name=\"a\" type=\"xs:string\" maxOccurs=\"unbounded\"/></xs:sequence>"), 6,
            "таблица T: a может повторяться (maxOccurs unbounded), а столбец хранит одно значение"},
        {sequence("\n<xs:sequence maxOccurs=\"2\"><xs:element name=\"a\"/></xs:sequence>"), 6,
            "таблица T: xs:sequence может повторяться (maxOccurs 2), а столбец хранит одно значение"},
        {sequence("\n<xs:any/>"), 6,
            "таблица T: xs:any не может быть столбцом; ожидались xs:element с именем или ссылкой, xs:sequence, "
            "xs:choice, xs:all или xs:group со ссылкой"},
        {sequence("\n<xs:element name=\"a\" type=\"gml:FeaturePropertyType\"/>"), 6,
            notColumn.arg("a", "gml:FeaturePropertyType")},
        {sequence("\n<xs:element name=\"a\" type=\"p:TType\"/>"), 6, notColumn.arg("a", "p:TType")},
        {sequence("\n<xs:element name=\"a\"><xs:complexType/></xs:element>"), 6, notColumn.arg("a", "xs:complexType")},
        {sequence("\n<xs:element ref=\"gml:name\"/>"), 6,
            "таблица T: элемент GML gml:name не может быть столбцом; ожидалось свойство, объявленное схемой"},
        {sequence("\n<xs:choice><xs:element ref=\"gml:Point\"/><xs:element name=\"a\"/></xs:choice>"), 6,
            "таблица T: выбор (xs:choice) смешивает геометрию GML с другими элементами"},
        {sequence("\n<xs:group ref=\"p:G\"/>"), 6,
            "p:G не объявлен ни в схеме, ни в подключённых к ней локальных файлах"},
        {sequence("<xs:group ref=\"p:G\"/>")
                + "<xs:group name=\"G\">\n<xs:sequence><xs:group ref=\"p:G\"/>"
                  "</xs:sequence></xs:group>",
            7, "определение G ссылается само на себя"},
        {type("", "p:TType"), 4, "определение TType ссылается само на себя"},
        {type(""), 4, "таблица T: тип объекта не объявляет ни одного свойства"},
        {sequence("\n<xs:element name=\"a\" type=\"q:Text\"/>"), 6, "префикс имени q:Text не объявлен"},
        {sequence("<xs:element name=\"a\" type=\"p:S\"/>")
                + "<xs:simpleType name=\"S\">\n<xs:restriction base=\"p:S\"/></xs:simpleType>",
            7, "определение S ссылается само на себя"},
        {sequence("<xs:element name=\"a\" type=\"p:S\"/>")
                + "<xs:simpleType name=\"S\">\n<xs:restriction base=\"p:Nothing\"/></xs:simpleType>",
            8, "p:Nothing не объявлен ни в схеме, ни в подключённых к ней локальных файлах"},
        {"<xs:element name=\"V\" substitutionGroup=\"p:Nothing\"/>" + sequence("<xs:element name=\"a\"/>"), 4,
            "p:Nothing не объявлен ни в схеме, ни в подключённых к ней локальных файлах"},
        {"<xs:redefine schemaLocation=\"other.xsd\"/>", 4,
            "xs:redefine не поддерживается: ожидались xs:include или xs:import"},
        {"<xs:complexType/>", 4, "глобальное объявление xs:complexType без имени"},
        {"<xs:include schemaLocation=\"https://example.org/types.xsd\"/>", 4,
            "подключаемая схема https://example.org/types.xsd не является локальным файлом"},
        {"<xs:include schemaLocation=\"//server/share/types.xsd\"/>", 4,
            "подключаемая схема //server/share/types.xsd не является локальным файлом"},
        {"<xs:include schemaLocation=\"file://server/types.xsd\"/>", 4,
            "подключаемая схема file://server/types.xsd не является локальным файлом"},
    };
    QTemporaryDir folder;
    XsdProvider provider;
    provider.initFromXsd(schemaPath("simple.xsd"));
    int count = 0;
    for (const auto &refused : cases) {
        const QString path = writeFile(folder, QString::number(++count) + ".xsd", head + refused.body + "</xs:schema>");
        SCOPED_TRACE(refused.body.toStdString());
        EXPECT_EQ(logicErrorOf([&] { provider.initFromXsd(path); }),
            QString("Схема %1, строка %2: %3").arg(path).arg(refused.line).arg(refused.reason).toStdString());
    }
    // Definitions that unfold without bound, as entities do in a DTD, are refused before they
    // cost much.
    QByteArray groups = sequence("<xs:group ref=\"p:G24\"/>") + "<xs:group name=\"G0\"><xs:sequence/></xs:group>\n";
    for (int level = 1; level <= 24; ++level)
        groups += QString(
            "<xs:group name=\"G%1\"><xs:sequence><xs:group ref=\"p:G%2\"/><xs:group ref=\"p:G%2\"/>"
            "</xs:sequence></xs:group>\n")
                      .arg(level)
                      .arg(level - 1)
                      .toUtf8();
    QByteArray derivations = type("", "p:D1");
    for (int level = 1; level < 300; ++level)
        derivations += QString(
            "<xs:complexType name=\"D%1\"><xs:complexContent><xs:extension base=\"p:D%2\"/>"
            "</xs:complexContent></xs:complexType>\n")
                           .arg(level)
                           .arg(level + 1)
                           .toUtf8();
    for (const auto &[body, reason] : {std::pair(groups, std::string("раскрываются более чем в 500000 определений")),
             std::pair(derivations, std::string("вложены глубже 200 уровней"))}) {
        const std::string message = logicErrorOf(
            [&] { provider.initFromXsd(writeFile(folder, "unbounded.xsd", head + body + "</xs:schema>")); });
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
    EXPECT_EQ(provider.tables().tableNameList(), QStringList{"Well"});

    // Whole files: a document that is no schema, GML versions mixed, an included file that is
    // missing, no regular file (it would block), of another namespace or larger than 16 MiB.
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.filePath("fifo.xsd")).constData(), 0600), 0);
    writeFile(folder, "other.xsd",
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:other\"/>");
    writeFile(folder, "large.xsd",
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><!--" + QByteArray(16 * 1024 * 1024, ' ')
            + "--></xs:schema>");
    const auto include = [&](const QByteArray &location) {
        return head + "\n<xs:include schemaLocation=\"" + location + "\"/></xs:schema>";
    };
    const auto included = [&](const QString &file, const QString &reason) {
        return ", строка 5: подключаемая схема " + folder.filePath(file) + reason;
    };
    const struct
    {
        QByteArray text;
        QString message;
    } files[] = {
        {"<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml\"/>",
            ", строка 1: корневой элемент gml:FeatureCollection не является элементом schema "
            "пространства имён XML Schema"},
        {head + "<xs:import namespace=\"http://www.opengis.net/gml/3.2\"/>" + sequence("<xs:element name=\"a\"/>")
                + "</xs:schema>",
            " ссылается и на GML 3.1.1, и на GML 3.2"},
        {include("missing.xsd"), ", строка 5: Не могу открыть файл " + folder.filePath("missing.xsd")},
        {include("fifo.xsd"), included("fifo.xsd", " не является обычным файлом")},
        {include("other.xsd"),
            included("other.xsd", " объявляет целевое пространство имён «urn:other», ожидалось «urn:pelmak:exchange»")},
        {include("large.xsd"),
            ", строка 5: Ошибка разбора файла: " + folder.filePath("large.xsd") + ": файл больше 16777216 байт"},
    };
    for (const auto &refused : files) {
        const QString path = writeFile(folder, QString::number(++count) + ".xsd", refused.text);
        EXPECT_EQ(logicErrorOf([&] { provider.initFromXsd(path); }), ("Схема " + path + refused.message).toStdString());
    }
    // Files that cannot be read at all, or not to their end as XML.
    for (const QString &path : {folder.filePath("fifo.xsd"), folder.filePath("нет такого файла.xsd"), folder.path()})
        EXPECT_EQ(logicErrorOf([&] { provider.initFromXsd(path); }), "Не могу открыть файл " + path.toStdString());
    const std::string prefix = "Ошибка разбора файла: ";
    for (const char *file : {"truncated.xsd", "empty.xsd", "not-xml.xsd", "mismatched-tags.xsd"}) {
        const std::string message = logicErrorOf([&] { provider.initFromXsd(schemaPath(file)); });
        EXPECT_TRUE(message.rfind(prefix, 0) == 0 && message.size() > prefix.size()) << file << ": " << message;
    }
    EXPECT_EQ(provider.tables().tableNameList(), QStringList{"Well"});
}

TEST(XsdProvider, EachLoadReplacesTheModelButNotEarlierCopies)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath("схемы обмена"));
    const QString cyrillicPath = folder.filePath("схемы обмена/колодцы.xsd");
    ASSERT_TRUE(QFile::copy(schemaPath("simple.xsd"), cyrillicPath));

    XsdProvider provider;
    provider.initFromXsd(schemaPath("patterns.xsd"));
    const XsdTables first = provider.tables();
    provider.initFromXsd(cyrillicPath);
    EXPECT_EQ(describe(provider.tables().attributes("Well")), "depth P 0|Geometry G 1");
    EXPECT_TRUE(provider.skippedDeclarations().isEmpty());
    EXPECT_EQ(first.tableNameList().size(), 7);

    // A schema without feature declarations gives an empty model and says why.
    provider.initFromXsd(writeFile(folder, "none.xsd",
        "<schema xmlns=\"http://www.w3.org/2001/XMLSchema\">\n<element name=\"a\" type=\"string\"/></schema>"));
    EXPECT_TRUE(provider.tables().tableNameList().isEmpty());
    EXPECT_EQ(provider.skippedDeclarations(),
        QStringList{"a (строка 2) не таблица: элемент не входит в группу замены (substitutionGroup)"});
}

// Application schemas published by others: read with the tables their text declares, or refused
// for the first property no column can hold.
TEST(XsdProvider, ReadsOrRefusesRealSchemas)
{
    const QString folder = DORVELLXSD_SHARED_DATA_DIR "/realworld/";
    if (!QFileInfo::exists(folder))
        GTEST_SKIP() << "real-world schemas not found at " << folder.toStdString();
    const QString cite0 = folder + "deegree-cite/schema/cite-gmlsf0.xsd";
    const std::string relatedFeature = "Схема " + cite0.toStdString()
        + ", строка 81: таблица PrimitiveGeoFeature: значение свойства relatedFeature (тип gml:ReferenceType) "
          "не является ни текстом, ни геометрией GML";
    const struct
    {
        QString file;
        std::string refusal;
    } refused[] = {
        {cite0, relatedFeature},
        {folder + "deegree-cite/schema/cite-gmlsf1.xsd", relatedFeature}, // includes the first
        {folder + "deegree-cite/schema/cite-gmlsf2.xsd", relatedFeature},
        {folder + "deegree-custom/schema/CustomProperties.xsd",
            "строка 12: таблица ComplexFeature: custom1 может повторяться (maxOccurs unbounded)"},
        {folder + "deegree-export/testdata/schema/Philosopher.xsd",
            "строка 19: таблица Philosopher: subject может повторяться (maxOccurs unbounded)"},
    };
    XsdProvider provider;
    for (const auto &schema : refused) {
        const std::string message = logicErrorOf([&] { provider.initFromXsd(schema.file); });
        EXPECT_NE(message.find(schema.refusal), std::string::npos) << message;
    }

    provider.initFromXsd(folder + "gdal/expected_gml_gml3degree.xsd");
    EXPECT_EQ(describeTables(provider.tables()),
        QStringList{"firstlayer (firstlayer_Type): geometryProperty GP 0|string_field P 0"});
    EXPECT_EQ(provider.skippedDeclarations(),
        QStringList{"FeatureCollection (строка 10) не таблица: элемент — коллекция объектов "
                    "(группа замены gml:_FeatureCollection)"});
}

// A plain attribute carries the built-in type its simple type comes down to, also through a file of
// another namespace; a geometry carries none.
TEST(XsdProvider, FollowsSimpleTypesDownToTheirBuiltInType)
{
    const auto valueTypes = [](const QString &file, const QString &table) {
        XsdProvider provider;
        provider.initFromXsd(schemaPath(file));
        QStringList types;
        for (const XsdAttribute &attribute : provider.tables().attributes(table))
            types.append(attribute.name + '=' + attribute.valueType);
        return types.join(' ');
    };
    EXPECT_EQ(valueTypes("value-types.xsd", "Sample"),
        "count=int total=long flag=boolean day=date moment=dateTime amount=decimal level=short rank=short "
        "share=double codes=string either=string sign=string label=token anything=anyType Geometry=");
    EXPECT_EQ(valueTypes("include/main.xsd", "Building"), "cadastralNumber=string shape= floors=positiveInteger");
}

// Includes and imports known by remote addresses are read from the files the catalogs map them to, and a part
// read so finds its own relative includes beside it; unmapped, the include is refused by its address. A catalog
// that cannot be used is refused when it is set, and the catalogs set before stay in force (which catalogs are
// refused, and how entries map: the XmlCatalogs tests of the validator, which reads them alike).
TEST(XsdProvider, ResolvesIncludesThroughCatalogs)
{
    const QString folder = schemaPath("catalog/");
    const QString main = folder + "main.xsd";
    const std::string none = logicErrorOf([] {});
    const QStringList wells{"Well (WellType): kind P 1|depth P 0|position GP 1"};
    const struct
    {
        QStringList catalogs;
        std::string setError;
        std::string loadError;
    } cases[] = {
        {{folder + "rewrite.xml"}, none, none},
        {{}, none,
            ("Схема " + main
                + ", строка 8: подключаемая схема http://example.org/exchange/well.xsd "
                  "не является локальным файлом")
                .toStdString()},
        {{folder + "missing.xml"}, ("Каталог XML " + folder + "missing.xml не найден").toStdString(), none},
    };
    for (const auto &[catalogs, setError, loadError] : cases) {
        SCOPED_TRACE(catalogs.join(' ').toStdString());
        XsdProvider provider;
        provider.setCatalogFiles({folder + "uri.xml"});
        EXPECT_EQ(logicErrorOf([&, files = catalogs] { provider.setCatalogFiles(files); }), setError);
        EXPECT_EQ(logicErrorOf([&] { provider.initFromXsd(main); }), loadError);
        if (loadError == none) {
            EXPECT_EQ(describeTables(provider.tables()), wells);
        }
    }
}
