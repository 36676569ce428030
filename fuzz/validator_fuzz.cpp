// Feeds arbitrary bytes as a document to one XsdXmlChecker holding the exchange schema. Whatever
// the bytes, a check ends with a count: no crash, no leak, no exception, no hang.

#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Fixture
{
    Fixture()
    {
        if (!folder.isValid())
            std::abort();
        // Every diagnostic text is read, so that its transcoding is checked too.
        checker.loadGrammar(QStringLiteral(DORVELLXSD_EXCHANGE_SCHEMA),
                            [this](int line, int column, const std::string &text) {
                                seen += static_cast<std::size_t>(line + column) + text.size();
                            });
    }

    QTemporaryDir folder;
    QString document = folder.filePath(QStringLiteral("document.gml"));
    std::size_t seen = 0;
    pelmak::XsdXmlChecker checker;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Fixture fixture;
    QFile file(fixture.document);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    file.close();

    if (fixture.checker.checkXmlFile(fixture.document) < 0)
        std::abort();
    return 0;
}
