// Documents and schemas built to make a validator read other files, reach the network, expand
// text without bound or nest without end. Each must end quickly in a refusal and leave the
// checker as it was.
#include <dorvellxsd/validation/xsdxmlchecker.h>

#include "diagnostics.h"
#include "../logicerror.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelmak;
using namespace testing_support;

namespace {

// The nesting limit of every XML entry point of the library.
constexpr int MaxDepth = 1000;

QString hostileData(const char *fileName)
{
    return QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/hostile/") + QString::fromUtf8(fileName);
}

// The refusals of the library's XML entry points: a document type in a schema names its file,
// one in a document its line, as does nesting too deep.
std::string schemaDoctypeRefusal(const QString &path)
{
    return "Объявление типа документа (DOCTYPE) в файле " + path.toStdString() + " не допускается";
}

const std::string DoctypeRefusal =
    "объявление DOCTYPE в строке 2 не допускается: документ не может объявлять сущности и ссылаться на DTD";
const std::string NestingRefusal = "элемент в строке 3 вложен глубже 1000 уровней";

class XsdXmlCheckerHostile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temporary.isValid());
        checker.loadGrammar(exchangeSchema(), log.callback());
    }

    // Writes a generated document into the temporary folder.
    QString write(const char *fileName, const QByteArray &content)
    {
        QFile file(temporary.filePath(QString::fromUtf8(fileName)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    // The checker still validates as before.
    void expectUnharmed()
    {
        log.entries.clear();
        EXPECT_EQ(checker.checkXmlFile(exchangeData("valid.gml")), 0);
        EXPECT_EQ(checker.checkXmlFile(exchangeData("wrong-order.gml")), 2);
        EXPECT_EQ(log.entries.size(), 2u);
    }

    QTemporaryDir temporary;
    DiagnosticLog log;
    XsdXmlChecker checker;
};

// An exchange document nested `depth` levels deep: the collection, then plain elements.
QByteArray nestedDocument(int depth)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml\" xmlns=\"urn:pelmak:exchange\">\n";
    for (int level = 2; level <= depth; ++level)
        text += "<a>";
    for (int level = 2; level <= depth; ++level)
        text += "</a>";
    return text + "\n</gml:FeatureCollection>\n";
}

} // namespace

// A document type is refused where it is declared, before its external subset opens (the DTD
// it names is broken, so opening it would show) and before any entity is declared.
TEST_F(XsdXmlCheckerHostile, DocumentTypesAreRefusedUnread)
{
    for (const char *name : {"validator-external-dtd.gml", "validator-external-entity.gml",
                             "validator-billion-laughs.gml"}) {
        log.entries.clear();
        const QString path = hostileData(name);
        EXPECT_EQ(checker.checkXmlFile(path), 1) << name;
        ASSERT_EQ(log.entries.size(), 1u) << name << ": " << ::testing::PrintToString(log.entries);
        EXPECT_EQ(log.entries[0].line, 2) << name;
        EXPECT_EQ(log.entries[0].text, DoctypeRefusal) << name;
    }
    expectUnharmed();
}

// One entity of 10,000 characters referenced 10,000 times: a few hundred kilobytes that would
// expand to 100 million characters.
TEST_F(XsdXmlCheckerHostile, QuadraticBlowUpIsRefused)
{
    QByteArray document = "<?xml version=\"1.0\"?>\n<!DOCTYPE gml:FeatureCollection [<!ENTITY big \""
                          + QByteArray(10000, 'x') + "\">]>\n"
                          + "<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml\"><gml:description>";
    for (int reference = 0; reference < 10000; ++reference)
        document += "&big;";
    document += "</gml:description></gml:FeatureCollection>\n";
    const QString path = write("quadratic.gml", document);

    EXPECT_EQ(checker.checkXmlFile(path), 1);
    EXPECT_EQ(log.entries, (std::vector<Diagnostic>{{2, 33, DoctypeRefusal}}));
    expectUnharmed();
}

// The hints name a file that is not a schema and a schema on the network: a parser that
// followed either would report it.
TEST_F(XsdXmlCheckerHostile, SchemaLocationHintsAreIgnored)
{
    EXPECT_EQ(checker.checkXmlFile(hostileData("validator-schema-hints.gml")), 0);
    EXPECT_TRUE(log.entries.empty()) << ::testing::PrintToString(log.entries);
}

// Validated as usual up to the limit; refused at the start tag that goes one level deeper,
// whatever the depth of the whole.
TEST_F(XsdXmlCheckerHostile, NestingBeyondTheLimitIsRefusedWhereItGoesTooDeep)
{
    EXPECT_GT(checker.checkXmlFile(write("deep.gml", nestedDocument(MaxDepth))), 0);
    for (const Diagnostic &diagnostic : log.entries)
        EXPECT_NE(diagnostic.text, NestingRefusal);

    for (const int depth : {MaxDepth + 1, 100000}) {
        log.entries.clear();
        const QString path = write("deeper.gml", nestedDocument(depth));
        const int errors = checker.checkXmlFile(path);
        ASSERT_FALSE(log.entries.empty()) << depth;
        const Diagnostic &last = log.entries.back();
        EXPECT_EQ(last, (Diagnostic{3, 3 * MaxDepth + 1, NestingRefusal})) << depth;
        EXPECT_EQ(errors, static_cast<int>(log.entries.size())) << depth;
    }
    expectUnharmed();
}

// A schema is refused for a document type of its own or of a schema it imports, before the
// parser reads either; the position is where the declaration ends.
TEST(XsdXmlCheckerHostileSchemas, SchemasDeclaringADocumentTypeAreRefused)
{
    struct Case
    {
        QString schema;
        QString declaring;
        std::string position;
    };
    const Case cases[] = {
        {hostileData("validator-schema-with-doctype.xsd"), hostileData("validator-schema-with-doctype.xsd"),
         "Строка 13, столбец 2"},
        {hostileData("validator-schema-importing-doctype.xsd"), hostileData("validator-gml-with-doctype.xsd"),
         "Строка 2, столбец 50"},
    };
    for (const Case &refused : cases) {
        DiagnosticLog log;
        XsdXmlChecker checker;
        EXPECT_EQ(logicErrorOf([&] { checker.loadGrammar(refused.schema, log.callback()); }),
                  "Не могу загрузить схему из файла " + refused.schema.toStdString() + "\n" + refused.position
                      + ": " + schemaDoctypeRefusal(refused.declaring));
        EXPECT_TRUE(log.entries.empty());

        // Nothing of the refused schema stays behind.
        checker.loadGrammar(exchangeSchema(), log.callback());
        EXPECT_EQ(checker.checkXmlFile(exchangeData("valid.gml")), 0);
    }
}
