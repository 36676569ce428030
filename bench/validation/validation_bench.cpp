// Validation throughput of one XsdXmlChecker on a large exchange document.
//
//   validation_bench FOLDER [FEATURES [RUNS]]
//
// Writes FOLDER/pelmak.xsd, FOLDER/gml/gml.xsd and FOLDER/exchange.gml (FEATURES features,
// 100000 by default), loads the schema once and validates the document RUNS times (3 by
// default) with the same checker. Prints one line per run and a summary line
//   checker <documents per second> <MB per second> <errors>
// that run-validation-bench compares with other validators on the same files.

#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QString SchemaSource = QStringLiteral(DORVELLXSD_EXCHANGE_DATA_DIR);

bool copySchemas(const QDir &folder)
{
    folder.mkpath(QStringLiteral("gml"));
    for (const QString &file : {QStringLiteral("pelmak.xsd"), QStringLiteral("gml/gml.xsd")}) {
        QFile::remove(folder.filePath(file));
        if (!QFile::copy(SchemaSource + QLatin1Char('/') + file, folder.filePath(file)))
            return false;
    }
    return true;
}

void writeRing(QTextStream &out, int id, const char *indent)
{
    const double x = 410000 + (id % 1000) * 50.0;
    const double y = 6170000 + (id / 1000) * 50.0;
    out << indent << "<gml:posList>" << x << ' ' << y << ' ' << x + 40 << ' ' << y << ' ' << x + 40 << ' '
        << y + 37.5 << ' ' << x + 20 << ' ' << y + 45 << ' ' << x << ' ' << y + 37.5 << ' ' << x << ' ' << y
        << "</gml:posList>\n";
}

// The features cycle through the four tables of the exchange schema, with Cyrillic text and
// escaped characters in the values, as real exchange documents have them.
void writeFeature(QTextStream &out, int id)
{
    out << " <gml:featureMember>\n";
    switch (id % 4) {
    case 0:
        out << "  <Parcel gml:id=\"Parcel." << id << "\">\n"
            << "   <cadastralNumber>50:21:0110114:" << id << "</cadastralNumber>\n"
            << "   <area>" << 500 + id % 3000 << ".25</area>\n"
            << "   <landUse>Для ведения личного подсобного хозяйства &amp; огородничества</landUse>\n"
            << "   <gml:Polygon srsName=\"EPSG:32637\">\n    <gml:exterior>\n     <gml:LinearRing>\n";
        writeRing(out, id, "      ");
        out << "     </gml:LinearRing>\n    </gml:exterior>\n   </gml:Polygon>\n  </Parcel>\n";
        break;
    case 1:
        out << "  <Road gml:id=\"Road." << id << "\">\n"
            << "   <name>улица Садовая &lt;" << id << "&gt;</name>\n"
            << "   <lanes>" << 1 + id % 4 << "</lanes>\n"
            << "   <surface>асфальт</surface>\n"
            << "   <gml:LineString srsName=\"EPSG:32637\">\n";
        writeRing(out, id, "    ");
        out << "   </gml:LineString>\n  </Road>\n";
        break;
    case 2:
        out << "  <Well gml:id=\"Well." << id << "\">\n"
            << "   <number>С-" << id << "</number>\n"
            << "   <depth>" << id % 90 << ".5</depth>\n"
            << "   <gml:Point srsName=\"EPSG:4326\">\n    <gml:pos>55.75 37.61</gml:pos>\n   </gml:Point>\n"
            << "  </Well>\n";
        break;
    default:
        out << "  <Building gml:id=\"Building." << id << "\">\n"
            << "   <address>ул. Садовая, д. " << id << "</address>\n"
            << "   <floors>" << id % 25 << "</floors>\n"
            << "   <gml:MultiPolygon>\n    <gml:polygonMember>\n     <gml:Polygon>\n      <gml:exterior>\n"
            << "       <gml:LinearRing>\n";
        writeRing(out, id, "        ");
        out << "       </gml:LinearRing>\n      </gml:exterior>\n     </gml:Polygon>\n    </gml:polygonMember>\n"
            << "   </gml:MultiPolygon>\n  </Building>\n";
    }
    out << " </gml:featureMember>\n";
}

bool writeDocument(const QString &path, int features)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&file);
    out.setCodec("UTF-8");
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(2);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<gml:FeatureCollection xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xsi:schemaLocation=\"urn:pelmak:exchange pelmak.xsd\" xmlns:gml=\"http://www.opengis.net/gml\" "
           "xmlns=\"urn:pelmak:exchange\">\n";
    for (int id = 1; id <= features; ++id)
        writeFeature(out, id);
    out << "</gml:FeatureCollection>\n";
    out.flush();
    return file.error() == QFileDevice::NoError;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [FEATURES [RUNS]]\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const int features = argc > 2 ? std::atoi(argv[2]) : 100000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    const QString document = folder.filePath(QStringLiteral("exchange.gml"));
    if (features <= 0 || runs <= 0 || !folder.exists() || !copySchemas(folder) || !writeDocument(document, features)) {
        std::fprintf(stderr, "cannot prepare %s\n", argv[1]);
        return 1;
    }
    const double megabytes = double(QFileInfo(document).size()) / (1024.0 * 1024.0);
    std::printf("document %s: %d features, %.1f MB\n", qUtf8Printable(document), features, megabytes);

    pelmak::XsdXmlChecker checker;
    checker.loadGrammar(folder.filePath(QStringLiteral("pelmak.xsd")), {});
    std::vector<double> seconds;
    int errors = 0;
    for (int run = 1; run <= runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        errors = checker.checkXmlFile(document);
        seconds.push_back(double(timer.nsecsElapsed()) / 1e9);
        std::printf("run %d: %.3f s, %d errors\n", run, seconds.back(), errors);
    }
    // The median run: the shared machine makes single runs noisy.
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf("checker %.4f %.2f %d\n", 1.0 / median, megabytes / median, errors);
    return errors == 0 ? 0 : 1;
}
