/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_ENTITYGATE_P_H
#define DORVELLXSD_ENTITYGATE_P_H

#include "../xml/xmlcatalog_p.h"
#include "parsererrorhandler_p.h"

#include <xercesc/sax/InputSource.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>

#include <memory>
#include <optional>

namespace pelmak {

/*
 * Decides what the parser reads besides the document it was given. While a schema loads, every
 * schema file it imports, includes or redefines is read here, never by the parser itself: its
 * location mapped through the catalogs, a local file read only when it is a regular file, a
 * network address fetched only when network access is allowed and then within a time limit,
 * and the text handed over only when schemaTextRefusal finds nothing against it. An import of a
 * namespace the parser has a grammar for already is not read at all, as Xerces-C on its own
 * skips it without opening its location. DTDs and
 * external entities never open. Once the grammar is loaded nothing opens at all: a checked
 * document reads no file but itself, whatever its schema location hints or document type say.
 */
class EntityGate : public xercesc::XMLEntityResolver
{
public:
    xercesc::InputSource *resolveEntity(xercesc::XMLResourceIdentifier *resource) override;

    // The schema at the local @p path, read as the schemas it imports are read; null, with the
    // refusal noted, when it must not reach the parser.
    std::unique_ptr<xercesc::InputSource> openSchemaFile(const QString &path);

    void startLoading();
    void closeForDocuments();

    XmlCatalog catalog;
    bool networkAllowed = true;
    // The parser whose grammars decide which imports are loaded already.
    xercesc::SAX2XMLReader *parser = nullptr;

    // The first refusal of the current schema load.
    std::optional<Diagnostic> refusal;
    // The first schema the current load reached through xs:redefine, by its address.
    QString redefined;

private:
    // The schema at @p address (a URL the catalogs have mapped), or null with the refusal noted.
    std::unique_ptr<xercesc::InputSource> openSchema(const QString &address);
    void refuse(Diagnostic diagnostic);
    bool isLoadedAlready(const xercesc::XMLResourceIdentifier &resource) const;

    bool loading = true;
};

/*
 * Why the parser must not read the file at @p path at all: a folder, which Xerces-C fails to
 * read with a leak, or anything else but a regular file (a FIFO or a terminal would block the
 * parse for good); nothing for a regular or a missing file (the parser reports that itself).
 */
std::optional<Diagnostic> fileRefusal(const QString &path);

} // namespace pelmak

#endif
