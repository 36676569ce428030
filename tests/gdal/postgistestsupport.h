#ifndef DORVELLXSD_TESTS_POSTGISTESTSUPPORT_H
#define DORVELLXSD_TESTS_POSTGISTESTSUPPORT_H

#include "gdaltestsupport.h"

#include <optional>
#include <set>
#include <string>

namespace testsupport {

/// Sets a GDAL configuration option, as a host may, for the life of the object.
class ConfigOption
{
public:
    ConfigOption(const char *key, const char *value);
    ~ConfigOption();
    ConfigOption(const ConfigOption &) = delete;
    ConfigOption &operator=(const ConfigOption &) = delete;

private:
    std::string key;
    std::optional<std::string> previous;
};

/*
 * Tests against the cluster that the postgis fixture of CTest started. Without it they skip
 * with the reason, or fail where DORVELLXSD_REQUIRE_POSTGIS=1 says the server must be there.
 */
class PostgisTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /// The "PG:" connection string of the test database.
    static QString connection();
    /// A value of the fixture's state file (CLUSTER_DIR, BINDIR, PORT, CONNECTION).
    static std::string clusterValue(const std::string &key);
    /// Runs an action of the fixture's script (stop, start); true when it succeeded.
    static bool clusterCommand(const char *action);

    /// The name of this test's own table @p base, dropped before first use and afterwards.
    std::string table(const std::string &base);
    /// Runs SQL through a connection of its own.
    void sql(const std::string &statement) const;

private:
    std::set<std::string> tables;
};

} // namespace testsupport

#endif
