#include "entitygate_p.h"

#include "../message_p.h"
#include "xerces_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/util/XMLResourceIdentifier.hpp>

namespace pelmak {
namespace {

using xercesc::XMLResourceIdentifier;

bool isSchema(const XMLResourceIdentifier &resource)
{
    switch (resource.getResourceIdentifierType()) {
    case XMLResourceIdentifier::SchemaGrammar:
    case XMLResourceIdentifier::SchemaImport:
    case XMLResourceIdentifier::SchemaInclude:
    case XMLResourceIdentifier::SchemaRedefine:
        return true;
    default:
        return false;
    }
}

QString localPathOf(const QString &location)
{
    const QUrl url(location);
    return url.isLocalFile() ? url.toLocalFile() : location;
}

// The file a schema location names, resolved against the schema that names it; empty for a
// location on the network, which the parser fetches by its own rules.
QString localSchemaPath(const XMLResourceIdentifier &resource)
{
    const QString location = fromXmlCh(resource.getSystemId());
    const QUrl url(location);
    if (!url.isLocalFile() && url.scheme().size() > 1)
        return {};
    const QString path = localPathOf(location);
    if (QDir::isAbsolutePath(path))
        return path;
    return QFileInfo(localPathOf(fromXmlCh(resource.getBaseURI()))).dir().filePath(path);
}

// Read in place of a refused resource: nothing.
xercesc::InputSource *emptySource(const XMLResourceIdentifier &resource)
{
    static const XMLByte nothing[] = {0};
    return new xercesc::MemBufInputSource(nothing, 0, resource.getSystemId(), false);
}

} // namespace

std::optional<Diagnostic> folderRefusal(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return std::nullopt;
    return Diagnostic{0, 0, formatMessage(messages::CannotOpenFile, path)};
}

std::optional<Diagnostic> schemaFileRefusal(const QString &path)
{
    if (auto refused = folderRefusal(path))
        return refused;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The reader parses the declaration but expands none of its entities.
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            return Diagnostic{static_cast<XMLFileLoc>(reader.lineNumber()),
                              static_cast<XMLFileLoc>(reader.columnNumber()),
                              formatMessage(messages::DocumentTypeDeclared, path)};
        case QXmlStreamReader::StartElement:
            return std::nullopt;
        default:
            break;
        }
    }
    return std::nullopt;
}

xercesc::InputSource *EntityGate::resolveEntity(XMLResourceIdentifier *resource)
{
    if (!loading)
        return emptySource(*resource);

    std::optional<Diagnostic> refused;
    if (isSchema(*resource)) {
        const QString path = localSchemaPath(*resource);
        if (path.isEmpty() || !(refused = schemaFileRefusal(path)))
            return nullptr; // the parser opens it as usual
    } else {
        // A DTD or an external entity: only a schema the gate could not look at first (one on
        // the network) gets this far with a document type.
        refused = Diagnostic{0, 0, formatMessage(messages::DocumentTypeDeclared, fromXmlCh(resource->getBaseURI()))};
    }
    if (!refusal)
        refusal = refused;
    return emptySource(*resource);
}

void EntityGate::startLoading()
{
    loading = true;
    refusal.reset();
}

void EntityGate::closeForDocuments()
{
    loading = false;
}

} // namespace pelmak
