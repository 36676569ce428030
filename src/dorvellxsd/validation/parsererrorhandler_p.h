/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_PARSERERRORHANDLER_P_H
#define DORVELLXSD_PARSERERRORHANDLER_P_H

#include "../message_p.h"

#include <QString>

#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/XercesDefs.hpp>

#include <functional>
#include <string>

namespace pelmak {

// Receives line, column and text of each diagnostic.
using DiagnosticCallback = std::function<void(int, int, const std::string &)>;

// A diagnostic kept for later or raised by the library itself, placed as the parser places its own.
enum class Severity { Warning, Error, Fatal };

struct Diagnostic
{
    XMLFileLoc line = 0;
    XMLFileLoc column = 0;
    QString text;
    Severity severity = Severity::Error; ///< errors and fatal errors count, warnings do not
    /// Where it keeps a schema from loading: whether the schema was refused or could not be read.
    FailureKind failure = FailureKind::Refusal;
};

// A diagnostic about a whole file, which has no position in it, of the kind of @p message.
template <FailureKind Kind, typename... Args>
Diagnostic wholeFileDiagnostic(FailureMessage<Kind> message, const Args &...args)
{
    return Diagnostic{0, 0, formatMessage(message, args...), Severity::Error, Kind};
}

// A position of the parser as an int, the largest int for any beyond it.
int toInt(XMLFileLoc position);

/*
 * Hands one diagnostic to the callback, its text transcoded to the local 8-bit code page.
 * Characters that code page cannot carry are replaced; nothing is reported when the callback
 * is empty.
 */
void reportDiagnostic(const DiagnosticCallback &callback, int line, int column, const QString &text);

/*
 * Passes every warning, error and fatal error of the parser on as a Diagnostic, alike. It never
 * throws on its own account, so a fatal error does not escape the parse as an exception; the
 * parser ends the document by its own rules.
 */
class ParserErrorHandler : public xercesc::HandlerBase
{
public:
    ~ParserErrorHandler() override;

    void warning(const xercesc::SAXParseException &exception) override;
    void error(const xercesc::SAXParseException &exception) override;
    void fatalError(const xercesc::SAXParseException &exception) override;

    // Receives each diagnostic as the parser raises it; nothing is passed on while it is empty.
    std::function<void(const Diagnostic &)> receive;

private:
    void forward(const xercesc::SAXParseException &exception, Severity severity) const;
};

} // namespace pelmak

#endif
