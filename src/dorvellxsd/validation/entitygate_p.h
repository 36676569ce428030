/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_ENTITYGATE_P_H
#define DORVELLXSD_ENTITYGATE_P_H

#include "parsererrorhandler_p.h"

#include <xercesc/util/XMLEntityResolver.hpp>

#include <optional>

namespace pelmak {

/*
 * Decides what the parser may open besides the file it was given. While a schema loads, the
 * schema files it imports, includes or redefines open as usual once their prolog shows no
 * document type declaration; DTDs and external entities never open. Once the grammar is
 * loaded nothing opens at all: a checked document reads no file but itself, whatever its
 * schema location hints or document type say.
 */
class EntityGate : public xercesc::XMLEntityResolver
{
public:
    xercesc::InputSource *resolveEntity(xercesc::XMLResourceIdentifier *resource) override;

    void startLoading();
    void closeForDocuments();

    // The first refusal of the current schema load.
    std::optional<Diagnostic> refusal;

private:
    bool loading = true;
};

/*
 * Why the parser must not read the file at @p path at all: a folder, which Xerces-C fails to
 * read with a leak; nothing for anything else (the parser reports a missing file itself).
 */
std::optional<Diagnostic> folderRefusal(const QString &path);

/*
 * Why a schema file must not reach the parser: a folder, or a document type declared in its
 * prolog (placed where the declaration ends); nothing when its prolog has none or the file
 * cannot be read as XML (the parser then says why).
 */
std::optional<Diagnostic> schemaFileRefusal(const QString &path);

} // namespace pelmak

#endif
