#include "entitygate_p.h"

#include "../message_p.h"
#include "../xml/xmlreading_p.h"
#include "schemacheck_p.h"
#include "schemafetch_p.h"
#include "xerces_p.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/XMLResourceIdentifier.hpp>
#include <xercesc/validators/common/Grammar.hpp>

#include <algorithm>
#include <cstring>

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

// Read in place of a refused resource: nothing.
xercesc::InputSource *emptySource(const XMLCh *systemId)
{
    static const XMLByte nothing[] = {0};
    return new xercesc::MemBufInputSource(nothing, 0, systemId, false);
}

class BytesInputStream : public xercesc::BinInputStream
{
public:
    explicit BytesInputStream(QByteArray content)
        : bytes(std::move(content))
    {
    }
    XMLFilePos curPos() const override { return position; }
    XMLSize_t readBytes(XMLByte *const toFill, const XMLSize_t maxToRead) override
    {
        const XMLSize_t count = std::min(maxToRead, static_cast<XMLSize_t>(bytes.size()) - position);
        std::memcpy(toFill, bytes.constData() + position, count);
        position += count;
        return count;
    }
    const XMLCh *getContentType() const override { return nullptr; }

private:
    const QByteArray bytes;
    XMLSize_t position = 0;
};

// A schema text the gate has read and checked, under the address relative locations in it
// are resolved against.
class SchemaText : public xercesc::InputSource
{
public:
    SchemaText(QByteArray content, const QString &address)
        : xercesc::InputSource(toXmlCh(address))
        , bytes(std::move(content))
    {
    }
    xercesc::BinInputStream *makeStream() const override { return new BytesInputStream(bytes); }

private:
    const QByteArray bytes;
};

} // namespace

std::optional<Diagnostic> fileRefusal(const QString &path)
{
    const QFileInfo file(path);
    if (!file.exists() || file.isFile())
        return std::nullopt;
    if (file.isDir())
        return wholeFileDiagnostic(messages::CannotOpenFile, path);
    return wholeFileDiagnostic(messages::NotARegularFile, path);
}

std::unique_ptr<xercesc::InputSource> EntityGate::openSchemaFile(const QString &path)
{
    const QString address = fileAddress(path);
    const QString mapped = catalog.resolve(address);
    return openSchema(mapped.isEmpty() ? address : mapped);
}

std::unique_ptr<xercesc::InputSource> EntityGate::openSchema(const QString &address)
{
    const QUrl url(address);
    QByteArray content;
    QString name = address;
    if (url.isLocalFile()) {
        name = url.toLocalFile();
        QFile file(name);
        if (auto refused = fileRefusal(name)) {
            refuse(*refused);
            return nullptr;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            refuse(wholeFileDiagnostic(messages::CannotOpenFile, name));
            return nullptr;
        }
        if (!readAtMost(file, MaxSchemaFileBytes, content)) {
            const QString limit = QString::number(MaxSchemaFileBytes);
            refuse(wholeFileDiagnostic(messages::SchemaTooLarge, name, limit));
            return nullptr;
        }
    } else if (!isNetworkAddress(address)) {
        refuse(wholeFileDiagnostic(messages::CannotOpenFile, address));
        return nullptr;
    } else if (!networkAllowed) {
        refuse(wholeFileDiagnostic(messages::NetworkAccessOff, address));
        return nullptr;
    } else if (QString error; !fetchSchema(address, content, error)) {
        refuse(wholeFileDiagnostic(messages::SchemaFetchFailed, address, error));
        return nullptr;
    }
    if (auto refused = schemaTextRefusal(content, name)) {
        refuse(*refused);
        return nullptr;
    }
    return std::make_unique<SchemaText>(std::move(content), address);
}

xercesc::InputSource *EntityGate::resolveEntity(XMLResourceIdentifier *resource)
{
    if (!loading)
        return emptySource(resource->getSystemId());

    if (!isSchema(*resource)) {
        // A DTD or an external entity: no schema the gate hands over declares a document type.
        refuse(wholeFileDiagnostic(messages::DocumentTypeDeclared, fromXmlCh(resource->getBaseURI())));
        return emptySource(resource->getSystemId());
    }
    const QString location = fromXmlCh(resource->getSystemId());
    if (location.isEmpty())
        return nullptr; // an import that names no location: the parser then loads nothing
    const QString address = catalog.locate(location, fromXmlCh(resource->getBaseURI()));
    if (resource->getResourceIdentifierType() == XMLResourceIdentifier::SchemaRedefine && redefined.isEmpty())
        redefined = QUrl(address).isLocalFile() ? QUrl(address).toLocalFile() : address;
    // Under the address it would be read from, the parser finds the file if it has read it.
    if (isLoadedAlready(*resource))
        return emptySource(toXmlCh(address));
    if (auto schema = openSchema(address))
        return schema.release();
    return emptySource(resource->getSystemId());
}

bool EntityGate::isLoadedAlready(const XMLResourceIdentifier &resource) const
{
    const XMLCh *importedNamespace = resource.getNameSpace();
    if (!parser || resource.getResourceIdentifierType() != XMLResourceIdentifier::SchemaImport || !importedNamespace)
        return false;
    const xercesc::Grammar *grammar = parser->getGrammar(importedNamespace);
    return grammar && grammar->getGrammarType() == xercesc::Grammar::SchemaGrammarType;
}

void EntityGate::refuse(Diagnostic diagnostic)
{
    if (!refusal)
        refusal = std::move(diagnostic);
}

void EntityGate::startLoading()
{
    loading = true;
    refusal.reset();
    redefined.clear();
}

void EntityGate::closeForDocuments()
{
    loading = false;
}

} // namespace pelmak
