#include "xsdgdaldataprovider.h"

#include "conversion_p.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>

namespace pelmak::mi {

XsdGdalDataProvider::XsdGdalDataProvider(const std::string &path, bool readOnly)
    : impl(std::make_unique<pelmak::XsdGdalDataProvider>(toQString(path), readOnly))
{
}

XsdGdalDataProvider::XsdGdalDataProvider(const std::string &path, bool readOnly, const XsdDataSourceOptions &options)
    : impl(std::make_unique<pelmak::XsdGdalDataProvider>(toQString(path), readOnly, options))
{
}

XsdGdalDataProvider::~XsdGdalDataProvider() = default;

std::list<std::string> XsdGdalDataProvider::layerNames() const
{
    return toStdList(impl->layerNames());
}

std::list<std::string> XsdGdalDataProvider::fileList() const
{
    return toStdList(impl->fileList());
}

void XsdGdalDataProvider::setGmlVersion(XsdTables::GmlVersion version)
{
    impl->setGmlVersion(toQtGmlVersion(version));
}

XsdTableData XsdGdalDataProvider::getDataFromLayer(const XsdElement &table, const std::string &filter) const
{
    return XsdTableData(impl->getDataFromLayer(*table.impl, toQString(filter)));
}

std::map<std::string, int> XsdGdalDataProvider::insertData(const std::list<XsdTableData> &tables)
{
    QList<pelmak::XsdTableData> records;
    records.reserve(static_cast<int>(tables.size()));
    for (const XsdTableData &table : tables)
        records.append(*table.impl);

    std::map<std::string, int> counts;
    const QMap<QString, int> created = impl->insertData(records);
    for (auto it = created.constBegin(); it != created.constEnd(); ++it)
        counts[toStdString(it.key())] = it.value();
    return counts;
}

bool XsdGdalDataProvider::supportsTransactions() const
{
    return impl->supportsTransactions();
}

bool XsdGdalDataProvider::beginTransaction()
{
    return impl->beginTransaction();
}

void XsdGdalDataProvider::finishTransaction()
{
    impl->finishTransaction();
}

int XsdGdalDataProvider::rollbackTransaction()
{
    return impl->rollbackTransaction();
}

} // namespace pelmak::mi
