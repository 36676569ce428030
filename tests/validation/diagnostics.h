#ifndef DORVELLXSD_TESTS_DIAGNOSTICS_H
#define DORVELLXSD_TESTS_DIAGNOSTICS_H

#include <QDir>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// What the validation tests share: the data paths and a record of what a callback was given.
namespace testing_support {

inline QString exchangeData(const char *fileName)
{
    return QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/exchange/") + QString::fromUtf8(fileName);
}

inline QString exchangeSchema()
{
    return exchangeData("pelmak.xsd");
}

// Every exchange document of the test data, by file name.
inline QStringList exchangeDocuments()
{
    return QDir(exchangeData("")).entryList({QStringLiteral("*.gml")}, QDir::Files, QDir::Name);
}

struct Diagnostic
{
    int line = 0;
    int column = 0;
    std::string text;

    bool operator==(const Diagnostic &other) const
    {
        return line == other.line && column == other.column && text == other.text;
    }
};

inline std::ostream &operator<<(std::ostream &stream, const Diagnostic &diagnostic)
{
    return stream << diagnostic.line << ':' << diagnostic.column << ' ' << diagnostic.text;
}

// Collects the diagnostics a callback receives.
class DiagnosticLog
{
public:
    std::function<void(int, int, const std::string &)> callback()
    {
        return [this](int line, int column, const std::string &text) {
            entries.push_back({line, column, text});
        };
    }

    std::vector<Diagnostic> entries;
};

} // namespace testing_support

#endif
