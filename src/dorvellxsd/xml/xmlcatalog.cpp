#include "xmlcatalog_p.h"

#include "../message_p.h"
#include "domtreebuilder_p.h"

#include <QDir>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace pelmak {

struct XmlCatalog::Catalog
{
    enum class Match { Exact, Prefix };
    struct Entry
    {
        Match match;
        QString from;
        QString to; // an absolute address
    };
    QVector<Entry> entries;
    QVector<std::shared_ptr<const Catalog>> next;

    QString resolve(const QString &location) const;
};

namespace {

// More catalogs than any real chain holds: a chain that branches out again and again is refused
// long before its size would matter.
constexpr int MaxCatalogs = 256;

QString localName(const QDomElement &element)
{
    return element.tagName().section(QLatin1Char(':'), -1);
}

class CatalogLoader
{
public:
    std::shared_ptr<const XmlCatalog::Catalog> load(const QString &location)
    {
        const QUrl url = QUrl::fromUserInput(location, QString(), QUrl::AssumeLocalFile);
        const QString path = url.isLocalFile() ? url.toLocalFile() : location;
        const QFileInfo info(path);
        if (!info.isFile())
            throw logicError(formatMessage(messages::CatalogMissing, path));
        const QString canonical = info.canonicalFilePath();
        if (reading.contains(canonical) || ++loaded > MaxCatalogs)
            throw logicError(formatMessage(messages::CatalogLoop, path));

        QFile file(canonical);
        QDomDocument document;
        QString error;
        if (!file.open(QIODevice::ReadOnly))
            throw logicError(formatMessage(messages::CatalogMissing, path));
        if (!readXmlFile(file, document, BlankText::Drop, &error))
            throw logicError(formatMessage(messages::CatalogNotWellFormed, path, error));

        reading.append(canonical);
        auto catalog = std::make_shared<XmlCatalog::Catalog>();
        readEntries(document.documentElement(), QUrl::fromLocalFile(canonical), *catalog);
        reading.removeLast();
        return catalog;
    }

private:
    void readEntries(const QDomElement &parent, const QUrl &base, XmlCatalog::Catalog &catalog)
    {
        using Match = XmlCatalog::Catalog::Match;
        for (QDomElement entry = parent.firstChildElement(); !entry.isNull(); entry = entry.nextSiblingElement()) {
            const QString name = localName(entry);
            const auto target = [&](const char *attribute) {
                return base.resolved(QUrl(entry.attribute(QLatin1String(attribute)))).toString();
            };
            if (name == QLatin1String("uri"))
                catalog.entries.append({Match::Exact, entry.attribute(QStringLiteral("name")), target("uri")});
            else if (name == QLatin1String("system"))
                catalog.entries.append({Match::Exact, entry.attribute(QStringLiteral("systemId")), target("uri")});
            else if (name == QLatin1String("rewriteURI"))
                catalog.entries.append(
                    {Match::Prefix, entry.attribute(QStringLiteral("uriStartString")), target("rewritePrefix")});
            else if (name == QLatin1String("rewriteSystem"))
                catalog.entries.append(
                    {Match::Prefix, entry.attribute(QStringLiteral("systemIdStartString")), target("rewritePrefix")});
            else if (name == QLatin1String("nextCatalog"))
                catalog.next.append(load(target("catalog")));
            else if (name == QLatin1String("group"))
                readEntries(entry, base, catalog);
        }
    }

    QStringList reading; // the chain of catalogs being read, to refuse one that reaches itself
    int loaded = 0;
};

} // namespace

QString XmlCatalog::Catalog::resolve(const QString &location) const
{
    const Entry *longest = nullptr;
    for (const Entry &entry : entries) {
        if (entry.match == Match::Exact) {
            if (entry.from == location)
                return entry.to;
        } else if (!entry.from.isEmpty() && location.startsWith(entry.from)
            && (!longest || entry.from.size() > longest->from.size())) {
            longest = &entry;
        }
    }
    if (longest)
        return longest->to + location.mid(longest->from.size());
    for (const auto &catalog : next) {
        const QString resolved = catalog->resolve(location);
        if (!resolved.isEmpty())
            return resolved;
    }
    return {};
}

XmlCatalog::XmlCatalog() = default;

XmlCatalog::XmlCatalog(const QStringList &files)
{
    CatalogLoader loader;
    for (const QString &file : files)
        catalogs.append(loader.load(file));
}

XmlCatalog::~XmlCatalog() = default;
XmlCatalog::XmlCatalog(XmlCatalog &&) noexcept = default;
XmlCatalog &XmlCatalog::operator=(XmlCatalog &&) noexcept = default;

QString XmlCatalog::resolve(const QString &location) const
{
    for (const auto &catalog : catalogs) {
        const QString resolved = catalog->resolve(location);
        if (!resolved.isEmpty())
            return resolved;
    }
    return {};
}

QString XmlCatalog::locate(const QString &location, const QString &base) const
{
    const QString asWritten = resolve(location);
    if (!asWritten.isEmpty())
        return asWritten;
    const QString address = QUrl(base).resolved(QUrl(location)).toString(QUrl::FullyEncoded);
    const QString mapped = resolve(address);
    return mapped.isEmpty() ? address : mapped;
}

QString fileAddress(const QString &path)
{
    return QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath())).toString(QUrl::FullyEncoded);
}

} // namespace pelmak
