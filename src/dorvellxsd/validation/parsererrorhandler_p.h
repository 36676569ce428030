/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_PARSERERRORHANDLER_P_H
#define DORVELLXSD_PARSERERRORHANDLER_P_H

#include <QString>

#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/XercesDefs.hpp>

#include <functional>
#include <string>

namespace pelmak {

// Receives line, column and text of each diagnostic.
using DiagnosticCallback = std::function<void(int, int, const std::string &)>;

// A diagnostic kept for later or raised by the library itself, placed as the parser places its own.
struct Diagnostic
{
    XMLFileLoc line = 0;
    XMLFileLoc column = 0;
    QString text;
};

/*
 * Hands one diagnostic to the callback, its text transcoded to the local 8-bit code page.
 * Characters that code page cannot carry are replaced; nothing is reported when the callback
 * is empty.
 */
void reportDiagnostic(const DiagnosticCallback &callback, XMLFileLoc line, XMLFileLoc column,
                      const XMLCh *text);
void reportDiagnostic(const DiagnosticCallback &callback, const Diagnostic &diagnostic);

/*
 * Forwards every warning, error and fatal error of the parser to the callback, alike: the
 * callback cannot tell them apart. It never throws on its own account, so a fatal error does
 * not escape the parse as an exception; the parser ends the document by its own rules.
 */
class ParserErrorHandler : public xercesc::HandlerBase
{
public:
    ~ParserErrorHandler() override;

    void warning(const xercesc::SAXParseException &exception) override;
    void error(const xercesc::SAXParseException &exception) override;
    void fatalError(const xercesc::SAXParseException &exception) override;

    DiagnosticCallback callback;

private:
    void forward(const xercesc::SAXParseException &exception) const;
};

} // namespace pelmak

#endif
