#include "xsdxmlchecker.h"

#include "conversion_p.h"

#include <dorvellxsd/validation/xsdxmlchecker.h>

namespace pelmak::mi {
namespace {

static_assert(XsdXmlChecker::DefaultMaxDiagnostics == pelmak::XsdXmlChecker::DefaultMaxDiagnostics);

} // namespace

XsdXmlChecker::XsdXmlChecker()
    : impl(std::make_unique<pelmak::XsdXmlChecker>())
{
}

XsdXmlChecker::~XsdXmlChecker() = default;

void XsdXmlChecker::loadGrammar(const std::string &path, std::function<void(int, int, const std::string &)> callback)
{
    impl->loadGrammar(toQString(path), callback);
}

void XsdXmlChecker::setCatalogFiles(const std::list<std::string> &paths)
{
    impl->setCatalogFiles(toQStringList(paths));
}

std::list<std::string> XsdXmlChecker::catalogWarnings() const
{
    return toStdList(impl->catalogWarnings());
}

void XsdXmlChecker::setNetworkAccess(bool allowed)
{
    impl->setNetworkAccess(allowed);
}

int XsdXmlChecker::checkXmlFile(const std::string &path)
{
    return impl->checkXmlFile(toQString(path));
}

int XsdXmlChecker::checkXmlFile(const std::string &path, const DiagnosticHandler &handler)
{
    return impl->checkXmlFile(toQString(path),
        [&handler](const pelmak::XsdDiagnostic &diagnostic) { return !handler || handler(toMiDiagnostic(diagnostic)); });
}

XsdValidationReport XsdXmlChecker::validate(const std::string &path, int maxDiagnostics)
{
    XsdValidationReport report = toMiReport(impl->validate(toQString(path), maxDiagnostics));
    report.document = path;
    return report;
}

} // namespace pelmak::mi
