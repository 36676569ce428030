#ifndef DORVELLXSD_MI_XSDXMLSTREAMREADER_H
#define DORVELLXSD_MI_XSDXMLSTREAMREADER_H

#include <dorvellxsd/mi/xsdtabledata.h>

#include <list>
#include <string>

namespace pelmak {
class XsdXmlStreamReader;
}

namespace pelmak::mi {

/// Reads an exchange document in batches of features.
class DORVELLXSD_EXPORT XsdXmlStreamReader
{
public:
    /// Opens the document at the UTF-8 @p path, to be decoded in the encoding it declares, as
    /// pelmak::XsdXmlTables::initFromFile; throws std::runtime_error when it cannot open it.
    explicit XsdXmlStreamReader(const std::string &path);
    XsdXmlStreamReader(const XsdXmlStreamReader &) = delete;
    XsdXmlStreamReader &operator=(const XsdXmlStreamReader &) = delete;
    virtual ~XsdXmlStreamReader();

    /// The next features in document order, at most @p maxFeatures of them, of the tables named
    /// in @p tableNames (of every table when empty); consecutive features of one table with the
    /// same description share a record. Empty at the end; throws std::logic_error when the
    /// document is refused.
    std::list<XsdTableData> readBatch(int maxFeatures, const std::list<std::string> &tableNames = {});
    /// Whether the whole document was read, or its reading refused.
    bool atEnd() const;
    /// Every table met so far, each once, in order of first appearance.
    std::list<std::string> tablesSeen() const;

private:
    std::unique_ptr<pelmak::XsdXmlStreamReader> impl;
};

} // namespace pelmak::mi

#endif
