/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLCATALOG_P_H
#define DORVELLXSD_XMLCATALOG_P_H

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

namespace pelmak {

/*
 * OASIS XML catalogs through which schema locations are resolved to local files: the entries
 * uri, system, rewriteURI and rewriteSystem (also inside group), and nextCatalog. Addresses in a
 * catalog are resolved against the catalog file itself. Catalogs are consulted in the order
 * given; within one, an exact entry wins over a rewrite, the longest rewrite prefix wins, and
 * the catalogs it names with nextCatalog follow it in their order.
 *
 * A catalog may carry the document type declaration OASIS recommends for catalogs; its DTD is
 * never read. A catalog named by nextCatalog that cannot be read is skipped, as OASIS has it,
 * and warnings() says why; the catalogs given are read or refused.
 */
class XmlCatalog
{
public:
    XmlCatalog();
    // @throws EnvironmentFailure when a catalog given is missing or cannot be read; std::logic_error
    //         when one is larger than MaxSchemaFileBytes or not well-formed, when a catalog reaches
    //         itself again through nextCatalog, or when more than MaxCatalogs catalogs are read.
    explicit XmlCatalog(const QStringList &files);
    ~XmlCatalog();
    XmlCatalog(XmlCatalog &&) noexcept;
    XmlCatalog &operator=(XmlCatalog &&) noexcept;

    // The address @p location maps to (a local file's URL, usually), or an empty string.
    QString resolve(const QString &location) const;

    /*
     * The address to read for a schema location that the schema at address @p base names: the
     * location as written where an entry maps it so, otherwise the location resolved against
     * @p base, mapped where an entry maps that. A file read from a mapped address resolves its
     * own relative locations against that address, as the validator and the parser do.
     */
    QString locate(const QString &location, const QString &base) const;

    bool isEmpty() const { return catalogs.isEmpty(); }

    // One line for each catalog named by nextCatalog that was skipped, saying which and why.
    QStringList warnings() const { return skipped; }

    struct Catalog;

private:
    QVector<std::shared_ptr<const Catalog>> catalogs;
    QStringList skipped;
};

// More catalogs than any real chain holds: a chain that branches out again and again is refused
// long before its size would matter.
inline constexpr int MaxCatalogs = 256;

// The file: URL of the local file at @p path, absolute and clean, as catalogs name files.
QString fileAddress(const QString &path);

} // namespace pelmak

#endif
