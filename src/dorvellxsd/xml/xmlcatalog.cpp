#include "xmlcatalog_p.h"

#include "../message_p.h"
#include "domtreebuilder_p.h"

#include <QBuffer>
#include <QDir>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
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

QString localName(const QDomElement &element)
{
    return element.tagName().section(QLatin1Char(':'), -1);
}

int firstElementAt(const QByteArray &text)
{
    for (int at = text.indexOf('<'); at >= 0 && at + 1 < text.size(); at = text.indexOf('<', at + 1)) {
        if (text.at(at + 1) != '!' && text.at(at + 1) != '?')
            return at;
    }
    return text.size();
}

/*
 * The catalog's text with the document type declaration OASIS recommends for catalogs, for either
 * version of its DTD, blanked out, so that the parser neither refuses it nor takes entity
 * references for those of a DTD it did not read. Only a declaration before the first element
 * and without an internal subset counts; any other stays for the reader to refuse. The blanks
 * keep every line and column where it was.
 */
QByteArray withoutCatalogDoctype(QByteArray text)
{
    static const QRegularExpression doctype(
        QStringLiteral("<!DOCTYPE[ \\t\\r\\n]+catalog[ \\t\\r\\n]+PUBLIC[ \\t\\r\\n]+"
                       "([\"'])-//OASIS//DTD (?:Entity Resolution XML Catalog V1\\.0|XML Catalogs V1\\.1)//EN\\1"
                       "[ \\t\\r\\n]+(?:\"[^\"]*\"|'[^']*')[ \\t\\r\\n]*>"));
    const QString prolog = QString::fromLatin1(text.left(firstElementAt(text)));
    const QRegularExpressionMatch found = doctype.match(prolog);
    for (int i = found.capturedStart(); found.hasMatch() && i < found.capturedEnd(); ++i) {
        if (text.at(i) != '\n' && text.at(i) != '\r')
            text[i] = ' ';
    }
    return text;
}

// A catalog that cannot be read at all, as opposed to catalogs that cannot be read together.
struct CatalogUnreadable
{
    template <FailureKind Kind, typename... Args>
    CatalogUnreadable(FailureMessage<Kind> why, const Args &...args)
        : message(formatMessage(why, args...))
        , kind(Kind)
    {
    }

    QString message;
    FailureKind kind;
};

class CatalogLoader
{
public:
    explicit CatalogLoader(QStringList &warnings)
        : skipped(warnings)
    {
    }

    // @throws CatalogUnreadable, or std::logic_error for a loop or too many catalogs.
    std::shared_ptr<const XmlCatalog::Catalog> load(const QString &location)
    {
        const QUrl url = QUrl::fromUserInput(location, QString(), QUrl::AssumeLocalFile);
        const QString path = url.isLocalFile() ? url.toLocalFile() : location;
        const QFileInfo info(path);
        if (!info.isFile())
            throw CatalogUnreadable(messages::CatalogMissing, path);
        const QString canonical = info.canonicalFilePath();
        if (reading.contains(canonical))
            throw failure(messages::CatalogLoop, path);
        if (const auto known = loaded.value(canonical))
            return known;
        if (++started > MaxCatalogs)
            throw failure(messages::TooManyCatalogs, path, QString::number(MaxCatalogs));

        QFile file(canonical);
        QByteArray text;
        if (!file.open(QIODevice::ReadOnly))
            throw CatalogUnreadable(messages::CatalogMissing, path);
        if (!readAtMost(file, MaxSchemaFileBytes, text)) {
            const QString tooLarge = formatMessage(messages::FileTooLarge, QString::number(MaxSchemaFileBytes));
            throw CatalogUnreadable(messages::CatalogNotWellFormed, path, tooLarge);
        }
        text = withoutCatalogDoctype(std::move(text));
        QBuffer content(&text);
        content.open(QIODevice::ReadOnly);
        QDomDocument document;
        QString error;
        if (!readXmlFile(content, document, BlankText::Drop, &error))
            throw CatalogUnreadable(messages::CatalogNotWellFormed, path, error);

        reading.append(canonical);
        auto catalog = std::make_shared<XmlCatalog::Catalog>();
        readEntries(document.documentElement(), QUrl::fromLocalFile(canonical), *catalog);
        reading.removeLast();
        loaded.insert(canonical, catalog);
        return catalog;
    }

private:
    void loadNext(const QString &location, XmlCatalog::Catalog &catalog)
    {
        try {
            catalog.next.append(load(location));
        } catch (const CatalogUnreadable &unreadable) {
            skipped.append(formatMessage(messages::CatalogSkipped, unreadable.message));
        }
    }

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
                loadNext(target("catalog"), catalog);
            else if (name == QLatin1String("group"))
                readEntries(entry, base, catalog);
        }
    }

    QStringList &skipped;
    QStringList reading; // the chain of catalogs being read, to refuse one that reaches itself
    QHash<QString, std::shared_ptr<const XmlCatalog::Catalog>> loaded; // by canonical path
    int started = 0;                                                   // catalogs read or being read
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
    CatalogLoader loader(skipped);
    for (const QString &file : files) {
        try {
            catalogs.append(loader.load(file));
        } catch (const CatalogUnreadable &unreadable) {
            throwFailure(unreadable.kind, unreadable.message);
        }
    }
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
