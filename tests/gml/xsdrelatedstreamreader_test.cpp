#include "gmltestsupport.h"

#include <dorvellxsd/gml/xsdrelatedstreamreader.h>

using namespace gmltest;

namespace {

const QString T = "{urn:t}";
const QString Base = "{urn:base:4}"; // the documents use an older namespace
const QString GmlId = "{http://www.opengis.net/gml/3.2}id";
const QString Xsi = "{http://www.w3.org/2001/XMLSchema-instance}";

using Role = XsdRelatedColumn::Role;

struct Column
{
    QString name;
    Role role;
    QStringList path = {};
    QString attribute = {};
};

XsdRelatedTable relatedTable(const QString &name, const QString &parent, const QStringList &parentPath,
    const QString &rowElement, const QList<Column> &columns)
{
    XsdRelatedTable table;
    table.element.name = name;
    table.element.type = name + "Type";
    table.parent = parent;
    table.parentPath = parentPath;
    table.rowElement = rowElement;
    for (const Column &column : columns) {
        XsdAttribute attribute;
        attribute.name = column.name;
        attribute.kind = column.role == Role::Geometry ? XsdAttribute::Geometry : XsdAttribute::Plain;
        table.element.complexType.attributes.append(attribute);
        table.columns.append(XsdRelatedColumn());
        table.columns.last().role = column.role;
        table.columns.last().path = column.path;
        table.columns.last().attribute = column.attribute;
    }
    return table;
}

const QList<Column> ChildKeys{{"key", Role::Key}, {"parent", Role::ParentKey}, {"position", Role::Position}};

// A parcel with a flattened identifier, a code, a measure, a reference, a nillable note, its geometry and a
// fragment; repeated names; repeated parts, each with its label, its outline and repeated tags.
XsdRelatedTables parcelTables()
{
    XsdRelatedTables tables;
    tables.tables = {relatedTable("Parcel", {}, {}, T + "Parcel",
                         {{"id", Role::Key, {}, GmlId},
                             {"localId", Role::Value, {T + "inspireId", Base + "Identifier", Base + "localId"}},
                             {"code", Role::Value, {T + "code"}}, {"codeSpace", Role::Value, {T + "code"}, "codeSpace"},
                             {"area", Role::Value, {T + "area"}}, {"uom", Role::Value, {T + "area"}, "uom"},
                             {"owner", Role::Value, {T + "owner"}, "{http://www.w3.org/1999/xlink}href"},
                             {"note", Role::Value, {T + "note"}}, {"nil", Role::Value, {T + "note"}, Xsi + "nil"},
                             {"nilReason", Role::Value, {T + "note"}, "nilReason"},
                             {"geometry", Role::Geometry, {T + "geometry"}}, {"extra", Role::Fragment, {T + "extra"}}}),
        relatedTable(
            "Parcel_name", "Parcel", {T + "name"}, T + "name", ChildKeys + QList<Column>{{"name", Role::Value}}),
        relatedTable("Parcel_part", "Parcel", {T + "part", T + "Part"}, T + "Part",
            ChildKeys
                + QList<Column>{{"label", Role::Value, {T + "label"}}, {"outline", Role::Geometry, {T + "outline"}}}),
        relatedTable(
            "Parcel_part_tag", "Parcel_part", {T + "tag"}, T + "tag", ChildKeys + QList<Column>{{"tag", Role::Value}})};
    return tables;
}

// Rows as "<table> <id>: <values>", batches apart; or the refusal, the same on a second call.
std::string readAll(const QString &path, const XsdRelatedTables &tables, int batchSize)
{
    std::string refusal = logicErrorOf([&] { XsdRelatedStreamReader(path, tables); });
    if (refusal != "(no std::logic_error thrown)")
        return refusal;
    XsdRelatedStreamReader reader(path, tables);
    QStringList batches;
    refusal = logicErrorOf([&] {
        for (QList<XsdTableData> batch; !(batch = reader.readBatch(batchSize)).isEmpty();) {
            QStringList rows;
            for (const XsdTableData &data : batch) {
                for (const XsdFeatureData &row : data.featureData())
                    rows += QString("%1 %2: %3").arg(data.tableInfo().name).arg(row.id).arg(row.values.join('|'));
            }
            batches += rows.join('\n');
        }
    });
    if (refusal == "(no std::logic_error thrown)")
        return batches.join("\n--\n").toStdString();
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(logicErrorOf([&] { reader.readBatch(1); }), refusal) << "a refused document stays refused";
    return refusal;
}

const QByteArray Namespaces =
    "xmlns:gml=\"http://www.opengis.net/gml/3.2\" xmlns:t=\"urn:t\" "
    "xmlns:wfs=\"http://www.opengis.net/wfs/2.0\" xmlns:base=\"urn:base:3\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"";

QByteArray collection(const QByteArray &members)
{
    return "<gml:FeatureCollection " + Namespaces + " gml:id=\"c\">\n" + members + "\n</gml:FeatureCollection>";
}

QByteArray member(const QByteArray &parcelContent)
{
    return "<gml:featureMember><t:Parcel gml:id=\"P1\">\n" + parcelContent + "\n</t:Parcel></gml:featureMember>";
}

} // namespace

TEST(XsdRelatedStreamReader, ReadsFeaturesIntoTheirTablesAndChildTablesOrRefusesWhatTheyDoNotMap)
{
    const QByteArray full = "<?xml version='1.0'?>\n<wfs:FeatureCollection " + Namespaces
        + " xsi:schemaLocation=\"urn:t t.xsd\">\n"
          "<wfs:boundedBy><gml:Envelope srsName=\"EPSG:4326\"/></wfs:boundedBy>\n"
          "<wfs:member><wfs:FeatureCollection><wfs:member>\n"
          "<t:Parcel gml:id=\"P1\"><t:inspireId><base:Identifier><base:localId>L1</base:localId></base:Identifier>"
          "</t:inspireId>\n <t:code codeSpace=\"urn:c\">A</t:code><t:area uom=\"m2\">12.5</t:area>"
          "<t:owner xlink:href=\"#O1\"/><t:note xsi:nil=\"true\" nilReason=\"unknown\"/>\n"
          " <t:name>Ж one</t:name><t:name> </t:name>\n"
          " <t:part><t:Part><t:label>a</t:label><t:tag>x</t:tag><t:tag>y</t:tag><t:outline>\n"
          "  <gml:Point gml:id=\"o\"><gml:pos>3 4</gml:pos></gml:Point></t:outline></t:Part></t:part>\n"
          " <t:part><t:Part><t:label>b</t:label></t:Part></t:part>\n"
          " <t:geometry><gml:Point gml:id=\"g\" srsName=\"EPSG:3857\"><gml:pos>1 2</gml:pos></gml:Point></t:geometry>\n"
          " <t:extra ><t:Any  t:k='v'>Ж &amp; <xlink:x/><!-- c --></t:Any></t:extra>\n"
          "</t:Parcel></wfs:member></wfs:FeatureCollection></wfs:member>\n"
          "<wfs:member><t:Parcel/></wfs:member>\n"
          "<wfs:additionalObjects><wfs:SimpleFeatureCollection><wfs:member><t:Parcel gml:id=\"P3\"/></wfs:member>"
          "</wfs:SimpleFeatureCollection></wfs:additionalObjects>\n</wfs:FeatureCollection>\n";
    const QString parcel1 =
        "Parcel 1: P1|L1|A|urn:c|12.5|m2|#O1||true|unknown|<gml:Point "
        "xmlns:gml=\"http://www.opengis.net/gml/3.2\" gml:id=\"g\" srsName=\"EPSG:3857\">\n"
        "<gml:pos>1 2</gml:pos>\n</gml:Point>\n|<t:extra xmlns:t=\"urn:t\" "
        "xmlns:xlink=\"http://www.w3.org/1999/xlink\" ><t:Any  t:k='v'>Ж &amp; <xlink:x/>"
        "<!-- c --></t:Any></t:extra>";
    const QString children =
        "Parcel_name 1: P1.1|P1|1|Ж one\nParcel_name 1: P1.2|P1|2| \n"
        "Parcel_part 1: P1.1|P1|1|a|<gml:Point xmlns:gml=\"http://www.opengis.net/gml/3.2\" "
        "gml:id=\"o\" srsName=\"EPSG:4326\">\n<gml:pos>3 4</gml:pos>\n</gml:Point>\n\n"
        "Parcel_part 1: P1.2|P1|2|b|\nParcel_part_tag 1: P1.1.1|P1.1|1|x\n"
        "Parcel_part_tag 1: P1.1.2|P1.1|2|y";
    const QString empty = "|||||||||||";
    XsdRelatedTables keyOnly;
    keyOnly.tables = {relatedTable("Parcel", {}, {}, T + "Parcel", {{"id", Role::Key, {}, GmlId}})};
    XsdRelatedTables kept;
    kept.tables = {relatedTable("Parcel", {}, {}, T + "Parcel",
        {{"id", Role::Key, {}, GmlId}, {"extra", Role::Fragment, {T + "extra"}},
            {"open", Role::Fragment, {T + "open", "*"}}})};
    XsdRelatedTables linked;
    linked.tables = {relatedTable("Parcel", {}, {}, T + "Parcel",
                         {{"id", Role::Key, {}, GmlId}, {"zone", Role::Link, {T + "zone", T + "Zone"}}}),
        relatedTable(
            "Zone", {}, {}, T + "Zone", {{"id", Role::Key, {}, GmlId}, {"label", Role::Value, {T + "label"}}})};
    XsdRelatedTables unplaced = parcelTables();
    unplaced.tables[1].parent = "Nowhere";

    const struct
    {
        const char *name;
        QByteArray document;
        XsdRelatedTables tables;
        int batchSize;
        QString expected;
    } cases[] = {
        {"every kind of column, in batches", full, parcelTables(), 2,
            parcel1 + "\nParcel 2: Parcel.2" + empty + "\n" + children + "\n--\nParcel 3: P3" + empty},
        {"featureMember and featureMembers beside the collection's own properties",
            collection("<gml:boundedBy/><gml:name>c</gml:name><t:meta><t:x/></t:meta><gml:featureMember>"
                       "<t:Parcel/></gml:featureMember><gml:featureMembers><t:Parcel gml:id=\"a\"/><t:Parcel/>"
                       "</gml:featureMembers>"),
            keyOnly, 10, "Parcel 1: Parcel.1\nParcel 2: a\nParcel 3: Parcel.3"},
        {"a feature alone", "<t:Parcel " + Namespaces + " gml:id=\"P\"/>", keyOnly, 1, "Parcel 1: P"},
        {"a kept element repeated, and content left open, after a byte order mark and characters beyond 16 bits",
            "\xEF\xBB\xBF" + collection(member("<t:extra>🌲</t:extra><t:extra>2</t:extra><t:open><base:A/></t:open>")),
            kept, 1,
            "Parcel 1: P1|<t:extra xmlns:t=\"urn:t\">🌲</t:extra><t:extra xmlns:t=\"urn:t\">2</t:extra>|"
            "<base:A xmlns:base=\"urn:base:3\"/>"},
        {"features inline in a property, rows of their own table",
            collection(member("<t:zone><t:Zone gml:id=\"Z1\"><t:label>a</t:label></t:Zone></t:zone>")
                + "<gml:featureMember><t:Parcel><t:zone><t:Zone><t:label>b</t:label></t:Zone></t:zone></t:Parcel>"
                  "</gml:featureMember>"),
            linked, 1, "Parcel 1: P1|Z1\nZone 1: Z1|a\n--\nParcel 2: Parcel.2|Zone.2\nZone 2: Zone.2|b"},
        {"an element no column maps", collection(member("<t:code>A</t:code>\n<t:unknown/>")), parcelTables(), 1,
            "Документ не читается как набор таблиц, строка 4: таблица Parcel, объект P1: элемент t:unknown не "
            "соответствует ни одному столбцу и ни одной подчинённой таблице"},
        {"a single element repeated",
            collection(member("<t:part><t:Part><t:label>a</t:label>\n<t:label>b</t:label></t:Part></t:part>")),
            parcelTables(), 1,
            "Документ не читается как набор таблиц, строка 4: таблица Parcel_part, объект P1: свойство t:label "
            "повторяется, а столбец хранит одно значение"},
        {"an attribute no column maps", collection(member("<t:code\n a=\"1\">A</t:code>")), parcelTables(), 1,
            "Документ не читается как набор таблиц, строка 4: таблица Parcel, объект P1: атрибут a элемента t:code "
            "не соответствует ни одному столбцу"},
        {"text where no value is", collection(member("<t:inspireId>x</t:inspireId>")), parcelTables(), 1,
            "Документ не читается как набор таблиц, строка 3: таблица Parcel, объект P1: текст «x» стоит вне "
            "значений свойств"},
        {"a member of another feature", collection("<gml:featureMember>\n<t:Road/></gml:featureMember>"), keyOnly, 1,
            "Документ не читается как набор таблиц, строка 3: элемент t:Road в gml:featureMember не является "
            "объектом ни одной из таблиц"},
        {"a root of another feature", "<t:Road " + Namespaces + " gml:id=\"R\"><t:x/></t:Road>", keyOnly, 1,
            "Документ не читается как набор таблиц, строка 1: корневой элемент t:Road не является ни коллекцией "
            "объектов, ни объектом одной из таблиц"},
        {"tables that contradict themselves", full, unplaced, 1,
            "Связанная таблица Parcel_name описана неверно: не задано, откуда читаются её строки: rowElement у "
            "таблицы объектов; parentPath и родительская таблица, стоящая в списке раньше, у подчинённой"},
    };
    QTemporaryDir folder;
    for (const auto &test : cases) {
        SCOPED_TRACE(test.name);
        const QString path = writeFile(folder.filePath("document.gml"), test.document);
        EXPECT_EQ(readAll(path, test.tables, test.batchSize), test.expected.toStdString());
    }

    XsdRelatedStreamReader reader(writeFile(folder.filePath("full.gml"), full), parcelTables());
    EXPECT_EQ(logicErrorOf([&] { reader.readBatch(0); }), "Размер пакета объектов должен быть положительным, а не 0");
    EXPECT_EQ(reader.readBatch(1).size(), 4);
    EXPECT_EQ(reader.tablesSeen(), QStringList{"Parcel"});
    XsdRelatedStreamReader withInline(
        writeFile(folder.filePath("inline.gml"), collection(member("<t:zone><t:Zone/></t:zone>"))), linked);
    withInline.readBatch(1);
    EXPECT_EQ(withInline.tablesSeen(), QStringList({"Parcel", "Zone"})) << "a feature inline is seen too";
    EXPECT_FALSE(reader.atEnd());
}

// A fragment is the text the document writes, also where the pieces the reader reads part it, in an encoding
// other than UTF-8; the declarations it needs are added.
TEST(XsdRelatedStreamReader, KeepsFragmentsAsWrittenAcrossThePiecesItReads)
{
    XsdRelatedTables tables;
    tables.tables = {relatedTable(
        "Parcel", {}, {}, T + "Parcel", {{"id", Role::Key, {}, GmlId}, {"extra", Role::Fragment, {T + "extra"}}})};
    const auto member = [](int i, const QString &content) {
        return QString(
            "<gml:featureMember><t:Parcel gml:id=\"P%1\">\r\n <t:extra a = '%1'>%2</t:extra>\r\n"
            "</t:Parcel></gml:featureMember>\r\n")
            .arg(i)
            .arg(content);
    };
    const QString document = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n" + collection("");
    const QString head = document.left(document.lastIndexOf('<'));
    // The first piece ends within the start tag of the second fragment.
    const int firstPiece = (1 << 20) - head.size() - member(0, "\u00e9").size() - member(1, "").indexOf("<t:e") - 4;
    const QString contents[] = {"\u00e9" + QString(firstPiece, 'p'), "\u00e9\r\n<x>&lt;</x><![CDATA[<>]]>"};
    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath("large.gml"),
        (head + member(0, contents[0]) + member(1, contents[1]) + document.mid(head.size())).toLatin1());
    XsdRelatedStreamReader reader(path, tables);
    QStringList rows;
    for (const XsdFeatureData &row : reader.readBatch(2).first().featureData())
        rows += row.values.join('|');
    EXPECT_TRUE(rows
        == QStringList({"P0|<t:extra xmlns:t=\"urn:t\" a = '0'>" + contents[0] + "</t:extra>",
            "P1|<t:extra xmlns:t=\"urn:t\" a = '1'>" + contents[1] + "</t:extra>"}));
}
