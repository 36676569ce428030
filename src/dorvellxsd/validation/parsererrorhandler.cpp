#include "parsererrorhandler_p.h"

#include "xerces_p.h"

#include <xercesc/sax/SAXParseException.hpp>

#include <limits>

namespace pelmak {
namespace {

int toInt(XMLFileLoc position)
{
    constexpr auto largest = static_cast<XMLFileLoc>(std::numeric_limits<int>::max());
    return static_cast<int>(position < largest ? position : largest);
}

std::string localText(const XMLCh *text)
{
    const LocalText converted(text);
    if (converted.data())
        return converted.data();
    // Xerces-C gives up on a text its transcoder cannot carry at all; Qt's local codec
    // replaces what it cannot represent instead.
    return fromXmlCh(text).toLocal8Bit().toStdString();
}

} // namespace

void reportDiagnostic(const DiagnosticCallback &callback, XMLFileLoc line, XMLFileLoc column,
                      const XMLCh *text)
{
    if (!callback)
        return;
    callback(toInt(line), toInt(column), localText(text));
}

void reportDiagnostic(const DiagnosticCallback &callback, const Diagnostic &diagnostic)
{
    reportDiagnostic(callback, diagnostic.line, diagnostic.column, toXmlCh(diagnostic.text));
}

ParserErrorHandler::~ParserErrorHandler() = default;

void ParserErrorHandler::warning(const xercesc::SAXParseException &exception)
{
    forward(exception);
}

void ParserErrorHandler::error(const xercesc::SAXParseException &exception)
{
    forward(exception);
}

void ParserErrorHandler::fatalError(const xercesc::SAXParseException &exception)
{
    forward(exception);
}

void ParserErrorHandler::forward(const xercesc::SAXParseException &exception) const
{
    reportDiagnostic(callback, exception.getLineNumber(), exception.getColumnNumber(), exception.getMessage());
}

} // namespace pelmak
