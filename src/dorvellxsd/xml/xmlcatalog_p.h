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
 */
class XmlCatalog
{
public:
    XmlCatalog();
    // @throws std::logic_error when a catalog is missing, not well-formed, or reaches itself again.
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

    struct Catalog;

private:
    QVector<std::shared_ptr<const Catalog>> catalogs;
};

// The file: URL of the local file at @p path, absolute and clean, as catalogs name files.
QString fileAddress(const QString &path);

} // namespace pelmak

#endif
