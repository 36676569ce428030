#ifndef DORVELLXSD_TESTS_POSTGISSUPPORT_H
#define DORVELLXSD_TESTS_POSTGISSUPPORT_H

// The server the postgis fixture of CTest starts (postgis-cluster.sh), as its state file tells.

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

namespace testsupport {

// A value of the fixture's state file: CONNECTION (GDAL's "PG:" text), BINDIR, CLUSTER_DIR, or
// SKIP, the reason why there is no server.
inline QString clusterValue(const char *key, const QString &fallback = {})
{
    const QSettings state(QStringLiteral(DORVELLXSD_POSTGIS_STATE), QSettings::IniFormat);
    return state.value(QLatin1String(key), fallback).toString();
}

// Each test runs on the server's connection string; without a server it is skipped, or failed where
// DORVELLXSD_REQUIRE_POSTGIS=1 requires one.
class PostgisTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!connection.isEmpty())
            return;
        const QString why =
            QStringLiteral("no PostGIS server: ") + clusterValue("SKIP", "run through ctest, whose postgis fixture starts one");
        if (qEnvironmentVariableIntValue("DORVELLXSD_REQUIRE_POSTGIS") == 1)
            FAIL() << why.toStdString() << " (DORVELLXSD_REQUIRE_POSTGIS=1 requires it)";
        GTEST_SKIP() << why.toStdString();
    }

    const QString connection = clusterValue("CONNECTION");
};

} // namespace testsupport

#endif
