#include "postgistestsupport.h"

#include <QFile>
#include <QProcess>

#include <cpl_conv.h>

#include <cctype>
#include <map>

namespace testsupport {

ConfigOption::ConfigOption(const char *optionKey, const char *value) : key(optionKey)
{
    if (const char *old = CPLGetConfigOption(optionKey, nullptr))
        previous = old;
    CPLSetConfigOption(optionKey, value);
}

ConfigOption::~ConfigOption()
{
    CPLSetConfigOption(key.c_str(), previous ? previous->c_str() : nullptr);
}

namespace {

const std::map<std::string, std::string> &clusterState()
{
    static const std::map<std::string, std::string> state = [] {
        std::map<std::string, std::string> values;
        QFile file(QStringLiteral(DORVELLXSD_POSTGIS_STATE));
        if (!file.open(QIODevice::ReadOnly))
            return values;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const int equals = line.indexOf('=');
            if (equals > 0)
                values.emplace(line.left(equals).toStdString(), line.mid(equals + 1).toStdString());
        }
        return values;
    }();
    return state;
}

std::string unavailableReason()
{
    const auto &state = clusterState();
    if (state.count("SKIP") != 0)
        return "no PostGIS server: " + state.at("SKIP");
    if (state.count("CONNECTION") == 0)
        return "no PostGIS server: run these tests through ctest, whose postgis fixture starts one and writes "
               DORVELLXSD_POSTGIS_STATE;
    return {};
}

} // namespace

void PostgisTest::SetUp()
{
    const std::string reason = unavailableReason();
    if (reason.empty())
        return;
    if (qEnvironmentVariableIntValue("DORVELLXSD_REQUIRE_POSTGIS") == 1)
        FAIL() << reason << " (DORVELLXSD_REQUIRE_POSTGIS=1 requires it)";
    GTEST_SKIP() << reason;
}

void PostgisTest::TearDown()
{
    for (const std::string &name : tables)
        sql("DROP TABLE IF EXISTS " + name + " CASCADE");
}

QString PostgisTest::connection()
{
    return QString::fromStdString(clusterValue("CONNECTION"));
}

std::string PostgisTest::clusterValue(const std::string &key)
{
    const auto &state = clusterState();
    const auto found = state.find(key);
    return found != state.end() ? found->second : std::string();
}

bool PostgisTest::clusterCommand(const char *action)
{
    return QProcess::execute(QStringLiteral("sh"), {QStringLiteral(DORVELLXSD_POSTGIS_CLUSTER_SCRIPT), QString::fromLatin1(action),
                                                    QStringLiteral(DORVELLXSD_POSTGIS_STATE)})
        == 0;
}

std::string PostgisTest::table(const std::string &base)
{
    // Test names make unique table names; PostgreSQL folds unquoted names to lower case.
    std::string name = std::string("t_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    name = name.substr(0, 40) + "_" + base;
    for (char &c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tables.insert(name).second)
        sql("DROP TABLE IF EXISTS " + name + " CASCADE");
    return name;
}

void PostgisTest::sql(const std::string &statement) const
{
    GDALDatasetUniquePtr dataset = openWithGdal(connection(), true);
    ASSERT_TRUE(dataset);
    execute(*dataset, statement);
}

} // namespace testsupport
