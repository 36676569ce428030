#include "parsererrorhandler_p.h"

#include "xerces_p.h"

#include <xercesc/sax/SAXParseException.hpp>

#include <limits>

namespace pelmak {
namespace {

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

int toInt(XMLFileLoc position)
{
    constexpr auto largest = static_cast<XMLFileLoc>(std::numeric_limits<int>::max());
    return static_cast<int>(position < largest ? position : largest);
}

void reportDiagnostic(const DiagnosticCallback &callback, int line, int column, const QString &text)
{
    if (callback)
        callback(line, column, localText(toXmlCh(text)));
}

ParserErrorHandler::~ParserErrorHandler() = default;

void ParserErrorHandler::warning(const xercesc::SAXParseException &exception)
{
    forward(exception, Severity::Warning);
}

void ParserErrorHandler::error(const xercesc::SAXParseException &exception)
{
    forward(exception, Severity::Error);
}

void ParserErrorHandler::fatalError(const xercesc::SAXParseException &exception)
{
    forward(exception, Severity::Fatal);
}

void ParserErrorHandler::forward(const xercesc::SAXParseException &exception, Severity severity) const
{
    if (receive)
        receive(Diagnostic{
            exception.getLineNumber(), exception.getColumnNumber(), fromXmlCh(exception.getMessage()), severity});
}

} // namespace pelmak
