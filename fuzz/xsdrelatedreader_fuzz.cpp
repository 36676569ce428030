// Feeds arbitrary bytes to the related reader as a document of fixed related tables: every
// refusal is a std::logic_error, every row has a value per column, every fragment and geometry
// stands alone as XML, and the rows do not depend on the size of the batches.
#include "fuzzsupport.h"

#include <dorvellxsd/gml/xsdrelatedstreamreader.h>

#include <QXmlStreamReader>

#include <cstdint>
#include <stdexcept>

namespace {

using Role = pelmak::XsdRelatedColumn::Role;

const QString T = QStringLiteral("{urn:t}");

struct Column
{
    const char *name;
    Role role;
    QStringList path;
    QString attribute;
};

pelmak::XsdRelatedTable table(const char *name, const char *parent, const QStringList &parentPath,
    const QString &rowElement, const QList<Column> &columns)
{
    pelmak::XsdRelatedTable made;
    made.element.name = QString::fromLatin1(name);
    made.parent = QString::fromLatin1(parent);
    made.parentPath = parentPath;
    made.rowElement = rowElement;
    for (const Column &column : columns) {
        pelmak::XsdAttribute attribute;
        attribute.name = QString::fromLatin1(column.name);
        attribute.kind = column.role == Role::Geometry ? pelmak::XsdAttribute::Geometry : pelmak::XsdAttribute::Plain;
        made.element.complexType.attributes.append(attribute);
        pelmak::XsdRelatedColumn where;
        where.role = column.role;
        where.path = column.path;
        where.attribute = column.attribute;
        made.columns.append(where);
    }
    return made;
}

// A parcel: a key, a flattened value with an attribute, a voidable note, a geometry, a kept
// element, open content, a zone inline; repeated owners, each with repeated contacts. A zone may
// hold a parcel inline in turn.
const pelmak::XsdRelatedTables &tables()
{
    static const pelmak::XsdRelatedTables related = [] {
        const QList<Column> childKeys{
            {"id", Role::Key, {}, {}}, {"parent_id", Role::ParentKey, {}, {}}, {"position", Role::Position, {}, {}}};
        pelmak::XsdRelatedTables made;
        made.tables = {table("Parcel", "", {}, T + QStringLiteral("Parcel"),
                           {{"gml_id", Role::Key, {}, QStringLiteral("{http://www.opengis.net/gml/3.2}id")},
                               {"code", Role::Value, {T + QStringLiteral("code")}, {}},
                               {"code_space", Role::Value, {T + QStringLiteral("code")}, QStringLiteral("codeSpace")},
                               {"note_nil", Role::Value, {T + QStringLiteral("note")},
                                   QStringLiteral("{http://www.w3.org/2001/XMLSchema-instance}nil")},
                               {"note", Role::Value, {T + QStringLiteral("note")}, {}},
                               {"geometry", Role::Geometry, {T + QStringLiteral("geometry")}, {}},
                               {"extra", Role::Fragment, {T + QStringLiteral("extra")}, {}},
                               {"open", Role::Fragment, {T + QStringLiteral("open"), QStringLiteral("*")}, {}},
                               {"zone", Role::Link, {T + QStringLiteral("zone"), T + QStringLiteral("Zone")}, {}}}),
            table("Parcel_owner", "Parcel", {T + QStringLiteral("owner"), T + QStringLiteral("Owner")},
                T + QStringLiteral("Owner"),
                childKeys + QList<Column>{{"name", Role::Value, {T + QStringLiteral("name")}, {}}}),
            table("Parcel_owner_contact", "Parcel_owner", {T + QStringLiteral("contact")},
                T + QStringLiteral("contact"), childKeys + QList<Column>{{"contact", Role::Value, {}, {}}}),
            table("Zone", "", {}, T + QStringLiteral("Zone"),
                {{"gml_id", Role::Key, {}, QStringLiteral("{http://www.opengis.net/gml/3.2}id")},
                    {"parcel", Role::Link, {T + QStringLiteral("parcel"), T + QStringLiteral("Parcel")}, {}}})};
        return made;
    }();
    return related;
}

bool standsAlone(const QString &text)
{
    QXmlStreamReader reader(text);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

// Every row as one string, checked on the way; the refusal's text where the document is refused.
QStringList rows(const QString &path, int batchSize, std::string &refusal)
{
    QStringList read;
    try {
        pelmak::XsdRelatedStreamReader reader(path, tables());
        for (QList<pelmak::XsdTableData> batch; !(batch = reader.readBatch(batchSize)).isEmpty();) {
            for (const pelmak::XsdTableData &data : batch) {
                const pelmak::XsdRelatedTable *described = tables().table(data.tableInfo().name);
                FUZZ_REQUIRE(described != nullptr);
                for (const pelmak::XsdFeatureData &row : data.featureData()) {
                    FUZZ_REQUIRE(row.values.size() == described->columns.size());
                    for (int i = 0; i < row.values.size(); ++i) {
                        const Role role = described->columns.at(i).role;
                        FUZZ_REQUIRE((role != Role::Fragment && role != Role::Geometry) || row.values.at(i).isEmpty()
                            || standsAlone(QStringLiteral("<f>") + row.values.at(i) + QStringLiteral("</f>")));
                    }
                    read.append(data.tableInfo().name + QString::number(row.id) + row.values.join(QChar(0)));
                }
            }
        }
    } catch (const std::logic_error &error) {
        refusal = error.what();
    }
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzzsupport::writeTemporaryFile(
        QStringLiteral("input.gml"), QByteArray(reinterpret_cast<const char *>(data), static_cast<int>(size)));

    std::string oneByOne;
    std::string allAtOnce;
    // A batch holds its rows table by table: only the order of the rows may differ.
    QStringList small = rows(path, 1, oneByOne);
    QStringList large = rows(path, 1000, allAtOnce);
    small.sort();
    large.sort();
    FUZZ_REQUIRE(oneByOne == allAtOnce && (!oneByOne.empty() || small == large));
    return 0;
}
