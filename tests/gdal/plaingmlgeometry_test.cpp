// The geometries read without GDAL's parser against what GDAL's own reading makes of the same
// text: byte for byte the same WKB, and nothing read here that GDAL would refuse or warn about.

#include "plaingmlgeometry_p.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cpl_error.h>
#include <ogr_geometry.h>

#include <random>
#include <vector>

using namespace pelmak;

namespace {

const QString Gml = QStringLiteral("xmlns:gml=\"http://www.opengis.net/gml/3.2\"");

QString ring(const QString &positions)
{
    return QStringLiteral("<gml:LinearRing><gml:posList>%1</gml:posList></gml:LinearRing>").arg(positions);
}

QString polygon(const QStringList &rings, const QString &attributes = {})
{
    QString text = QStringLiteral("<gml:Polygon%1><gml:exterior>%2</gml:exterior>").arg(attributes, ring(rings.at(0)));
    for (int i = 1; i < rings.size(); ++i)
        text += QStringLiteral("<gml:interior>%1</gml:interior>").arg(ring(rings.at(i)));
    return text + QStringLiteral("</gml:Polygon>");
}

// The namespace declared on the outermost element, after its name.
QString withNamespace(QString gml)
{
    int nameEnd = 1;
    while (!QStringLiteral(" />").contains(gml.at(nameEnd)))
        ++nameEnd;
    return gml.insert(nameEnd, QLatin1Char(' ') + Gml);
}

std::vector<unsigned char> isoWkb(const OGRGeometry &geometry)
{
    std::vector<unsigned char> wkb(geometry.WkbSize());
    geometry.exportToWkb(wkbNDR, wkb.data(), wkbVariantIso);
    return wkb;
}

// The text must be read here, exactly as GDAL reads it and without a word from GDAL.
void expectAsGdal(const QString &gml)
{
    SCOPED_TRACE(gml.toStdString());
    const PlainGmlGeometry plain = plainGmlGeometry(gml);
    ASSERT_TRUE(plain.geometry);
    CPLErrorReset();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const OGRGeometryUniquePtr gdal(OGRGeometryFactory::createFromGML(gml.toUtf8().constData()));
    CPLPopErrorHandler();
    ASSERT_TRUE(gdal);
    EXPECT_EQ(CPLGetLastErrorType(), CE_None) << CPLGetLastErrorMsg();
    EXPECT_EQ(plain.geometry->getGeometryType(), gdal->getGeometryType());
    EXPECT_EQ(isoWkb(*plain.geometry), isoWkb(*gdal));
}

TEST(PlainGmlGeometryTest, ReadsThePlainFormsAsGdal)
{
    const QString square = QStringLiteral("0 0 10 0 10 10 0 10 0 0");
    const QString hole = QStringLiteral("2 2 2 4 4 4 4 2 2 2");
    const QString cube = QStringLiteral("0 0 1 10 0 1 10 10 2 0 0 1");
    for (const QString &gml :
        {
            QStringLiteral("<gml:Point><gml:pos>1 2</gml:pos></gml:Point>"),
            QStringLiteral("<gml:Point gml:id=\"p\" srsName=\"EPSG:4326\"><gml:pos>-1.5 .25 3.</gml:pos></gml:Point>"),
            QStringLiteral(
                "<gml:Point srsDimension=\"3\"><gml:pos>-0 0.00000000000001 123456789012345</gml:pos></gml:Point>"),
            QStringLiteral("<gml:LineString><gml:posList>\n 0 0\t1 1  2 -2\n</gml:posList></gml:LineString>"),
            QStringLiteral("<gml:LineString srsDimension=\"3\"><gml:posList srsDimension=\"3\">0 0 0 1 1 "
                           "1</gml:posList></gml:LineString>"),
            polygon({square}),
            polygon({square, hole, QStringLiteral("6 6 8 6 8 8 6 6")}),
            polygon({cube}, QStringLiteral(" srsDimension=\"3\"")),
            QStringLiteral(
                "<gml:MultiSurface srsName=\"urn:ogc:def:crs:EPSG::25832\" srsDimension=\"2\">"
                "<gml:surfaceMember>%1</gml:surfaceMember><gml:surfaceMember>%2</gml:surfaceMember></gml:MultiSurface>")
                .arg(polygon({square, hole}), polygon({QStringLiteral("20 0 30 0 30 10 20 0")})),
            QStringLiteral(
                "<gml:MultiCurve><gml:curveMember><gml:LineString><gml:posList>0 0 1 1</gml:posList>"
                "</gml:LineString></gml:curveMember><gml:curveMember><gml:LineString><gml:posList>5 5 6 6 7 5"
                "</gml:posList></gml:LineString></gml:curveMember></gml:MultiCurve>"),
            QStringLiteral(
                "<gml:MultiPoint><gml:pointMember><gml:Point><gml:pos>0 0 3</gml:pos></gml:Point></gml:pointMember>"
                "<gml:pointMember><gml:Point><gml:pos>1 1</gml:pos></gml:Point></gml:pointMember></gml:MultiPoint>"),
            QStringLiteral("<Point xmlns=\"http://www.opengis.net/gml/3.2\"><pos>7 8</pos></Point>"),
        })
        expectAsGdal(gml.startsWith(QLatin1String("<gml:")) ? withNamespace(gml) : gml);
}

// Decimals of every length read here, in polygons of both dimensions, as GDAL converts them.
TEST(PlainGmlGeometryTest, ConvertsDecimalsAsGdal)
{
    std::mt19937 random(20261207);
    const auto decimal = [&random] {
        const int digits = std::uniform_int_distribution<int>(1, 15)(random);
        const int fraction = std::uniform_int_distribution<int>(0, digits)(random);
        QString text = random() % 3 == 0 ? QStringLiteral("-") : QString();
        for (int i = 0; i < digits; ++i) {
            if (i == digits - fraction)
                text += QLatin1Char('.');
            text += QChar(static_cast<char16_t>(u'0' + random() % 10));
        }
        return text;
    };
    for (int dimension : {2, 3}) {
        for (int geometry = 0; geometry < 50; ++geometry) {
            QStringList first;
            QStringList positions;
            for (int i = 0; i < dimension; ++i)
                first.append(decimal());
            positions.append(first.join(QLatin1Char(' ')));
            for (int point = 0; point < 8; ++point) {
                QStringList position;
                for (int i = 0; i < dimension; ++i)
                    position.append(decimal());
                positions.append(position.join(QLatin1Char(' ')));
            }
            positions.append(first.join(QLatin1Char(' ')));
            expectAsGdal(withNamespace(
                polygon({positions.join(QLatin1Char(' '))}, QStringLiteral(" srsDimension=\"%1\"").arg(dimension))));
        }
    }
}

// What GDAL reads otherwise, warns about or refuses, and parts in systems of their own, are GDAL's to read.
TEST(PlainGmlGeometryTest, LeavesEveryOtherFormToGdal)
{
    for (const QString &gml : {
             QStringLiteral("<gml:Point><gml:pos>1e3 2</gml:pos></gml:Point>"),
             QStringLiteral("<gml:Point><gml:pos>1.0000000000000001 2</gml:pos></gml:Point>"),
             QStringLiteral("<gml:Point><gml:pos>+1 2</gml:pos></gml:Point>"),
             QStringLiteral("<gml:Point><gml:pos>1,2</gml:pos></gml:Point>"),
             QStringLiteral("<gml:Point><gml:pos>1</gml:pos></gml:Point>"),
             QStringLiteral("<gml:Point srsDimension=\"3\"><gml:pos>1 2</gml:pos></gml:Point>"),
             QStringLiteral("<gml:Point><gml:pos>NaN 2</gml:pos></gml:Point>"),
             QStringLiteral("<gml:Point><gml:coordinates>1,2</gml:coordinates></gml:Point>"),
             QStringLiteral("<gml:LineString><gml:posList>0 0 1 1 2</gml:posList></gml:LineString>"),
             QStringLiteral("<gml:LineString><gml:posList>0 0</gml:posList></gml:LineString>"),
             QStringLiteral(
                 "<gml:LineString srsDimension=\"3\"><gml:posList srsDimension=\"2\">0 0 1 1 2 2</gml:posList>"
                 "</gml:LineString>"),
             QStringLiteral("<gml:LineString><gml:posList count=\"2\">0 0 1 1</gml:posList></gml:LineString>"),
             polygon({QStringLiteral("0 0 1 0 1 1 0 1")}),
             polygon({QStringLiteral("0 0 1 0 0 0")}),
             QStringLiteral("<gml:Polygon><gml:interior>%1</gml:interior></gml:Polygon>")
                 .arg(ring(QStringLiteral("0 0 1 0 1 1 0 0"))),
             QStringLiteral("<gml:MultiSurface/>"),
             QStringLiteral("<gml:MultiSurface><gml:surfaceMember>%1</gml:surfaceMember></gml:MultiSurface>")
                 .arg(polygon({QStringLiteral("0 0 1 0 1 1 0 0")}, QStringLiteral(" srsName=\"EPSG:4326\""))),
             QStringLiteral("<gml:MultiSurface><gml:surfaceMembers>%1</gml:surfaceMembers></gml:MultiSurface>")
                 .arg(polygon({QStringLiteral("0 0 1 0 1 1 0 0")})),
             QStringLiteral("<gml:MultiCurve><gml:curveMember><gml:Curve/></gml:curveMember></gml:MultiCurve>"),
             QStringLiteral("<gml:Point><!-- a comment --><gml:pos>1 2</gml:pos></gml:Point>"),
             QStringLiteral("<gml:point><gml:pos>1 2</gml:pos></gml:point>"),
         })
        EXPECT_FALSE(plainGmlGeometry(withNamespace(gml)).geometry) << gml.toStdString();
}

TEST(PlainGmlGeometryTest, TellsTheOutermostSrsName)
{
    const QString name = QStringLiteral("http://www.opengis.net/def/crs/EPSG/0/25832");
    EXPECT_EQ(
        plainGmlGeometry(
            withNamespace(QStringLiteral("<gml:Point srsName=\"%1\"><gml:pos>1 2</gml:pos></gml:Point>").arg(name)))
            .srsName,
        name);
}

} // namespace
