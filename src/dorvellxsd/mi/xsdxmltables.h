#ifndef DORVELLXSD_MI_XSDXMLTABLES_H
#define DORVELLXSD_MI_XSDXMLTABLES_H

#include <dorvellxsd/mi/xsdtabledata.h>

#include <list>
#include <string>

namespace pelmak {
class XsdXmlTables;
}

namespace pelmak::mi {

/// Reads an exchange document and hands out its features as table data.
class DORVELLXSD_EXPORT XsdXmlTables
{
public:
    XsdXmlTables();
    XsdXmlTables(const XsdXmlTables &) = delete;
    XsdXmlTables &operator=(const XsdXmlTables &) = delete;
    virtual ~XsdXmlTables();

    /// Loads the document at the UTF-8 @p path, decoded in the encoding it declares, as
    /// pelmak::XsdXmlTables::initFromFile; throws std::logic_error on failure.
    void initFromFile(const std::string &path);
    /// The tables that have features in the document, in order of first appearance.
    std::list<std::string> listTables() const;
    /// One record per feature member of the named tables (of every table when @p names is
    /// empty), in document order.
    std::list<XsdTableData> getDataFromLayers(const std::list<std::string> &names) const;

private:
    std::unique_ptr<pelmak::XsdXmlTables> impl;
};

} // namespace pelmak::mi

#endif
