#include <dorvellxsd/validation/xsdxmlchecker.h>

#include "diagnostics.h"
#include "../logicerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include <gtest/gtest.h>

#include <clocale>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace pelmak;
using namespace testing_support;

namespace {

std::string utf8(const QString &text)
{
    return text.toStdString();
}

const std::string NoSchema = "Не загружен файл XSD";

class XsdXmlCheckerTest : public ::testing::Test
{
protected:
    void SetUp() override { checker.loadGrammar(exchangeSchema(), log.callback()); }

    int check(const char *fileName) { return checker.checkXmlFile(exchangeData(fileName)); }

    DiagnosticLog log;
    XsdXmlChecker checker; // after the log: the callback writes into it
};

} // namespace

TEST_F(XsdXmlCheckerTest, ValidDocumentsGiveZeroAndNoDiagnostic)
{
    EXPECT_EQ(check("valid.gml"), 0);
    EXPECT_EQ(check("empty-collection.gml"), 0);
    EXPECT_TRUE(log.entries.empty()) << ::testing::PrintToString(log.entries);
}

// Content model faults are reported at the end tag of the feature, type faults just after the
// value, well-formedness faults where the parser stopped.
struct FaultCase
{
    const char *name;
    const char *file;
    std::vector<Diagnostic> diagnostics;
    int errorCount;
};

void PrintTo(const FaultCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class XsdXmlCheckerFaults : public XsdXmlCheckerTest, public ::testing::WithParamInterface<FaultCase>
{
};

TEST_P(XsdXmlCheckerFaults, ReportsEachFaultAtItsPlaceInOrder)
{
    EXPECT_EQ(check(GetParam().file), GetParam().errorCount);
    EXPECT_EQ(log.entries, GetParam().diagnostics);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XsdXmlCheckerFaults,
    ::testing::Values(
        FaultCase{"MissingRequired",
                  "missing-required.gml",
                  {{14, 12,
                    "element 'landUse' is not allowed for content model "
                    "'(description?,name*,cadastralNumber,area,landUse?,registered?,(Polygon|MultiPolygon|MultiSurface))'"},
                   {20, 10, "missing elements in content model '(description?,name*,number,depth?,(Point|MultiPoint))'"}},
                  2},
        FaultCase{"WrongOrder",
                  "wrong-order.gml",
                  {{10, 10,
                    "element 'lanes' is not allowed for content model "
                    "'(description?,name*,name,lanes,surface?,(LineString|MultiLineString|MultiCurve))'"},
                   {20, 10,
                    "element 'surface' is not allowed for content model "
                    "'(description?,name*,name,lanes,surface?,(LineString|MultiLineString|MultiCurve))'"}},
                  2},
        FaultCase{"WrongType",
                  "wrong-type.gml",
                  {{6, 24, "invalid character encountered"},
                   {7, 39, "invalid gYearMonth value '02.04.2019'"},
                   {11, 53, "invalid character encountered"},
                   {20, 20, "value '0' must be greater than or equal to minInclusive facet value '1'"}},
                  4},
        FaultCase{"UnknownElement",
                  "unknown-element.gml",
                  {{6, 11, "no declaration found for element 'owner'"},
                   {14, 14,
                    "element 'owner' is not allowed for content model "
                    "'(description?,name*,address,floors?,builtYear?,(Polygon|MultiPolygon|MultiSurface))'"},
                   {17, 25, "no declaration found for element 'Мост'"},
                   {17, 25, "attribute '{http://www.opengis.net/gml}id' is not declared for element 'Мост'"},
                   {20, 22, "element 'Мост' is not allowed for content model '(_Feature)'"}},
                  5},
        FaultCase{"UndeclaredPrefix",
                  "undeclared-prefix.gml",
                  {{6, 14, "prefix 'gm' can not be resolved to namespace URI"}},
                  1},
        FaultCase{"Truncated",
                  "truncated.gml",
                  {{12, 81, "input ended before all started tags were ended; last tag started is 'posList'"}},
                  1},
        FaultCase{"DuplicateId", "duplicate-id.gml", {{12, 25, "ID value 'Well.1' is not unique"}}, 1}),
    [](const ::testing::TestParamInfo<FaultCase> &row) { return std::string(row.param.name); });

TEST_F(XsdXmlCheckerTest, UnreadableDocumentIsOneFatalDiagnostic)
{
    const QString missing = exchangeData("no-such-document.gml");
    EXPECT_EQ(checker.checkXmlFile(missing), 1);
    const QString folder = exchangeData("gml");
    EXPECT_EQ(checker.checkXmlFile(folder), 1);
    EXPECT_EQ(log.entries, (std::vector<Diagnostic>{
                               {0, 0, "unable to open primary document entity '" + utf8(missing) + "'"},
                               {0, 0, "Не могу открыть файл " + utf8(folder)}}));
}

TEST_F(XsdXmlCheckerTest, DocumentsInARowEachGetTheirOwnCount)
{
    EXPECT_EQ(check("wrong-type.gml"), 4);
    EXPECT_EQ(check("valid.gml"), 0);
    EXPECT_EQ(check("truncated.gml"), 1);
    EXPECT_EQ(check("wrong-order.gml"), 2);
    EXPECT_EQ(check("valid.gml"), 0);
    EXPECT_EQ(log.entries.size(), 7u);
}

TEST(XsdXmlCheckerStates, CheckBeforeAnyLoadThrows)
{
    XsdXmlChecker checker;
    EXPECT_EQ(logicErrorOf([&] { checker.checkXmlFile(exchangeData("valid.gml")); }), NoSchema);
}

TEST(XsdXmlCheckerStates, SecondLoadThrowsAndKeepsTheFirstSchemaAndCallback)
{
    DiagnosticLog first;
    DiagnosticLog second;
    XsdXmlChecker checker;
    checker.loadGrammar(exchangeSchema(), first.callback());

    EXPECT_EQ(logicErrorOf([&] { checker.loadGrammar(exchangeSchema(), second.callback()); }),
              "Схема уже загружена");
    EXPECT_EQ(logicErrorOf([&] { checker.loadGrammar(exchangeData("no-such.xsd"), second.callback()); }),
              "Схема уже загружена");

    EXPECT_EQ(checker.checkXmlFile(exchangeData("wrong-order.gml")), 2);
    EXPECT_EQ(first.entries.size(), 2u);
    EXPECT_TRUE(second.entries.empty());
}

// A failed schema of the same namespace must not stand in for the good one loaded afterwards.
TEST(XsdXmlCheckerStates, LoadAfterAFailedLoadStartsAfresh)
{
    DiagnosticLog log;
    XsdXmlChecker checker;
    EXPECT_NE(logicErrorOf([&] {
                  checker.loadGrammar(exchangeData("broken/unresolved-reference.xsd"), log.callback());
              }),
              "(no std::logic_error thrown)");
    checker.loadGrammar(exchangeSchema(), log.callback());
    EXPECT_EQ(checker.checkXmlFile(exchangeData("valid.gml")), 0);
    EXPECT_TRUE(log.entries.empty()) << ::testing::PrintToString(log.entries);
    EXPECT_EQ(checker.checkXmlFile(exchangeData("wrong-order.gml")), 2);
}

// Every schema the parser cannot turn into a sound grammar is refused with its first diagnostic.
struct LoadFailure
{
    const char *name;
    QString path;
    std::string reason; // the line after the message; "%1" stands for the absolute path
};

void PrintTo(const LoadFailure &row, std::ostream *stream)
{
    *stream << row.name;
}

class XsdXmlCheckerLoadFailures : public ::testing::TestWithParam<LoadFailure>
{
};

TEST_P(XsdXmlCheckerLoadFailures, ThrowsWithTheFirstDiagnosticAndReportsNothing)
{
    const LoadFailure &failure = GetParam();
    std::string reason = failure.reason;
    const auto marker = reason.find("%1");
    if (marker != std::string::npos)
        reason.replace(marker, 2, utf8(QFileInfo(failure.path).absoluteFilePath()));

    DiagnosticLog log;
    XsdXmlChecker checker;
    EXPECT_EQ(logicErrorOf([&] { checker.loadGrammar(failure.path, log.callback()); }),
              "Не могу загрузить схему из файла " + utf8(failure.path) + "\n" + reason);
    EXPECT_TRUE(log.entries.empty()) << ::testing::PrintToString(log.entries);
    EXPECT_EQ(logicErrorOf([&] { checker.checkXmlFile(exchangeData("valid.gml")); }), NoSchema);
}

INSTANTIATE_TEST_SUITE_P(
    Schemas, XsdXmlCheckerLoadFailures,
    ::testing::Values(
        LoadFailure{"Missing", exchangeData("no-such.xsd"),
                    "Строка 0, столбец 0: unable to open primary document entity '%1'"},
        LoadFailure{"Folder", exchangeData("gml"), "Строка 0, столбец 0: Не могу открыть файл %1"},
        LoadFailure{"NotXml", QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/xsd/not-xml.xsd"),
                    "Строка 1, столбец 1: invalid document structure"},
        LoadFailure{"Truncated", QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/xsd/truncated.xsd"),
                    "Строка 7, столбец 44: unexpected end of input"},
        LoadFailure{"DocumentInsteadOfSchema", exchangeData("valid.gml"),
                    "Строка 5, столбец 39: non-whitespace characters are not allowed in schema declarations "
                    "other than appinfo and documentation"},
        LoadFailure{"UnresolvedReference", exchangeData("broken/unresolved-reference.xsd"),
                    "Строка 16, столбец 35: type 'http://www.opengis.net/gml:Pont' not found"},
        LoadFailure{"UndeclaredType", exchangeData("broken/undeclared-type.xsd"),
                    "Строка 9, столбец 75: type 'urn:pelmak:exchange:WellTyp' not found"},
        LoadFailure{"MissingImport", exchangeData("broken/missing-import.xsd"),
                    "Строка 0, столбец 0: unable to open primary document entity '"
                        + utf8(exchangeData("broken/no-such-folder/gml.xsd")) + "'"},
        LoadFailure{"AmbiguousContent", exchangeData("broken/ambiguous-content.xsd"),
                    "Строка 0, столбец 0: complex type 'WellType' violates the unique particle attribution "
                    "rule in its components 'depth' and 'depth'"}),
    [](const ::testing::TestParamInfo<LoadFailure> &row) { return std::string(row.param.name); });

TEST(XsdXmlCheckerCallbacks, EmptyCallbackStillCounts)
{
    XsdXmlChecker checker;
    checker.loadGrammar(exchangeSchema(), {});
    EXPECT_EQ(checker.checkXmlFile(exchangeData("wrong-type.gml")), 4);
    EXPECT_EQ(checker.checkXmlFile(exchangeData("valid.gml")), 0);
}

// The host's exception ends the check and reaches the host; the checker stays usable.
TEST(XsdXmlCheckerCallbacks, ThrowingCallbackEndsTheCheckAndLeavesTheCheckerUsable)
{
    DiagnosticLog log;
    bool throwNext = true;
    XsdXmlChecker checker;
    checker.loadGrammar(exchangeSchema(), [&](int line, int column, const std::string &text) {
        if (std::exchange(throwNext, false))
            throw std::runtime_error("host gives up");
        log.callback()(line, column, text);
    });

    EXPECT_THROW(checker.checkXmlFile(exchangeData("wrong-type.gml")), std::runtime_error);
    EXPECT_EQ(checker.checkXmlFile(exchangeData("valid.gml")), 0);
    EXPECT_EQ(checker.checkXmlFile(exchangeData("wrong-order.gml")), 2);
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[0].line, 10);
    EXPECT_EQ(log.entries[1].line, 20);
}

// Each checker holds the Xerces-C platform; none may end it under another or under the host.
TEST(XsdXmlCheckerPlatform, CheckersLiveSideBySideAndOneAfterAnother)
{
    xercesc::XMLPlatformUtils::Initialize(); // the host's own use of Xerces-C
    {
        DiagnosticLog firstLog;
        DiagnosticLog secondLog;
        auto first = std::make_unique<XsdXmlChecker>();
        XsdXmlChecker second;
        first->loadGrammar(exchangeSchema(), firstLog.callback());
        second.loadGrammar(exchangeSchema(), secondLog.callback());

        EXPECT_EQ(first->checkXmlFile(exchangeData("wrong-order.gml")), 2);
        EXPECT_EQ(second.checkXmlFile(exchangeData("wrong-type.gml")), 4);
        first.reset();
        EXPECT_EQ(second.checkXmlFile(exchangeData("missing-required.gml")), 2);
        EXPECT_EQ(firstLog.entries.size(), 2u);
        EXPECT_EQ(secondLog.entries.size(), 6u);
    }
    for (int round = 0; round < 3; ++round) {
        XsdXmlChecker checker;
        checker.loadGrammar(exchangeSchema(), {});
        EXPECT_EQ(checker.checkXmlFile(exchangeData("unknown-element.gml")), 5);
    }
    // The host's Xerces-C still works after every checker is gone.
    XMLCh *text = xercesc::XMLString::transcode("still here");
    EXPECT_EQ(xercesc::XMLString::stringLen(text), 10u);
    xercesc::XMLString::release(&text);
    xercesc::XMLPlatformUtils::Terminate();
}

// The folder and file names reach Xerces-C as UTF-16, whatever the locale; CTest runs this
// suite under LC_ALL=C and under a UTF-8 locale.
class XsdXmlCheckerNonAsciiPaths : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { std::setlocale(LC_ALL, ""); }

    void SetUp() override
    {
        ASSERT_TRUE(temporary.isValid());
        folder = temporary.path() + QStringLiteral("/Обмен данными № 1");
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/gml")));
        copy(exchangeSchema(), QStringLiteral("схема обмена.xsd"));
        copy(exchangeData("gml/gml.xsd"), QStringLiteral("gml/gml.xsd"));
        copy(exchangeData("valid.gml"), QStringLiteral("документ.gml"));
        copy(exchangeData("wrong-order.gml"), QStringLiteral("ошибки в порядке.gml"));
    }

    void copy(const QString &from, const QString &to) { ASSERT_TRUE(QFile::copy(from, folder + QLatin1Char('/') + to)); }

    QTemporaryDir temporary;
    QString folder;
};

TEST_F(XsdXmlCheckerNonAsciiPaths, AbsoluteAndRelativePaths)
{
    XsdXmlChecker absolute;
    absolute.loadGrammar(folder + QStringLiteral("/схема обмена.xsd"), {});
    EXPECT_EQ(absolute.checkXmlFile(folder + QStringLiteral("/документ.gml")), 0);
    EXPECT_EQ(absolute.checkXmlFile(folder + QStringLiteral("/ошибки в порядке.gml")), 2);

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder));
    XsdXmlChecker relative;
    relative.loadGrammar(QStringLiteral("схема обмена.xsd"), {});
    EXPECT_EQ(relative.checkXmlFile(QStringLiteral("документ.gml")), 0);
    EXPECT_EQ(relative.checkXmlFile(QStringLiteral("ошибки в порядке.gml")), 2);
    QDir::setCurrent(previous);
}

// The subset schema and the official GML 3.1.1 schemas agree on every document of the tests.
TEST(XsdXmlCheckerOfficialGml, ExchangeSchemaOverOfficialGmlGivesTheSameCounts)
{
    const QString officialGml = QStringLiteral(DORVELLXSD_SHARED_DATA_DIR "/ogc/gml/3.1.1/base/gml.xsd");
    if (!QFileInfo::exists(officialGml))
        GTEST_SKIP() << "official GML 3.1.1 schemas not found at " << utf8(officialGml);

    QFile exchange(exchangeSchema());
    ASSERT_TRUE(exchange.open(QIODevice::ReadOnly));
    QString schema = QString::fromUtf8(exchange.readAll());
    const QString subsetImport = QStringLiteral("schemaLocation=\"gml/gml.xsd\"");
    ASSERT_TRUE(schema.contains(subsetImport));
    schema.replace(subsetImport, QStringLiteral("schemaLocation=\"%1\"").arg(QFileInfo(officialGml).absoluteFilePath()));

    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    QFile wrapper(temporary.filePath(QStringLiteral("pelmak.xsd")));
    ASSERT_TRUE(wrapper.open(QIODevice::WriteOnly));
    wrapper.write(schema.toUtf8());
    wrapper.close();

    XsdXmlChecker subset;
    XsdXmlChecker official;
    subset.loadGrammar(exchangeSchema(), {});
    official.loadGrammar(wrapper.fileName(), {});
    const QStringList documents = exchangeDocuments();
    ASSERT_GE(documents.size(), 9);
    for (const QString &document : documents) {
        const QString path = exchangeData("") + document;
        EXPECT_EQ(official.checkXmlFile(path), subset.checkXmlFile(path)) << utf8(document);
    }
    EXPECT_EQ(official.checkXmlFile(exchangeData("valid.gml")), 0);
}
