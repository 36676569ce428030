// Feeds arbitrary bytes to the schema reader as a file. Every input ends with a model or with a
// std::logic_error that keeps the model loaded before; anything else escapes and is a crash.
#include "fuzzsupport.h"

#include <dorvellxsd/schema/xsdprovider.h>

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace {

// A model that every run loads first, so that a refused input can be seen to keep it.
const char BaseSchema[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:gml="http://www.opengis.net/gml"
           xmlns:pelmak="urn:pelmak:exchange" targetNamespace="urn:pelmak:exchange">
 <xs:element name="Base" type="pelmak:BaseType" substitutionGroup="gml:_Feature"/>
 <xs:complexType name="BaseType">
  <xs:complexContent>
   <xs:extension base="gml:AbstractFeatureType">
    <xs:sequence>
     <xs:element name="code" type="xs:string"/>
     <xs:choice><xs:element ref="gml:Point"/></xs:choice>
    </xs:sequence>
   </xs:extension>
  </xs:complexContent>
 </xs:complexType>
</xs:schema>
)";

// What the reader promises about every table it keeps.
void checkModel(const pelmak::XsdTables &tables)
{
    for (const QString &name : tables.tableNameList()) {
        const pelmak::XsdElement table = tables.tableByName(name);
        FUZZ_REQUIRE(table.name.compare(name, Qt::CaseInsensitive) == 0);
        FUZZ_REQUIRE(!table.type.isEmpty());
        FUZZ_REQUIRE(!table.complexType.attributes.isEmpty());
        FUZZ_REQUIRE(tables.attributeList(name).size() == table.complexType.attributes.size());
        for (const pelmak::XsdAttribute &attribute : table.complexType.attributes)
            FUZZ_REQUIRE(!attribute.name.isEmpty());
    }
}

bool sameModel(const pelmak::XsdTables &a, const pelmak::XsdTables &b)
{
    if (a.tableNameList() != b.tableNameList())
        return false;
    for (const QString &name : a.tableNameList()) {
        if (a.attributeList(name) != b.attributeList(name))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The reader reports its counts on the debug channel: noise at this rate.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    fuzzsupport::writeTemporaryFile(QStringLiteral("base.xsd"), QByteArray(BaseSchema));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = fuzzsupport::writeTemporaryFile(QStringLiteral("input.xsd"),
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<int>(size)));

    pelmak::XsdProvider provider;
    provider.initFromXsd(fuzzsupport::temporaryPath(QStringLiteral("base.xsd")));
    const pelmak::XsdTables base = provider.tables();
    FUZZ_REQUIRE(base.tableNameList() == QStringList {QStringLiteral("Base")});

    try {
        provider.initFromXsd(input);
    } catch (const std::logic_error &) {
        FUZZ_REQUIRE(sameModel(provider.tables(), base));
        return 0;
    }
    checkModel(provider.tables());
    return 0;
}
