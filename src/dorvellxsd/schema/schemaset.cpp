#include "schemaset_p.h"

#include "../message_p.h"
#include "../xml/domtreebuilder_p.h"
#include "../xml/xmlcatalog_p.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QXmlStreamReader>

namespace pelmak {
namespace {

// Far more than any real schema chains, few enough that the reader's recursion stays shallow.
constexpr int MaxIncludeDepth = 64;

std::unique_ptr<SchemaNode> startNode(const QXmlStreamReader &reader, const SchemaNode *parent, const SchemaFile *file)
{
    auto node = std::make_unique<SchemaNode>();
    node->name = {reader.namespaceUri().toString(), reader.name().toString()};
    node->writtenName = reader.qualifiedName().toString();
    node->attributes = reader.attributes();
    node->namespaces = reader.namespaceDeclarations();
    node->line = reader.lineNumber();
    node->parent = parent;
    node->file = file;
    return node;
}

// The elements of @p file's text with their namespaces; comments, text and instructions are
// never declarations and are left out.
std::unique_ptr<SchemaNode> readTree(QIODevice &device, const SchemaFile *file, QString &errorMessage)
{
    XmlFileText text(device, MaxSchemaFileBytes);
    const MoreText moreText = [&text](QXmlStreamReader &parser) { return text.feed(parser); };
    QXmlStreamReader reader;
    std::unique_ptr<SchemaNode> root;
    std::vector<SchemaNode *> open;
    for (auto token = readNextToken(reader, moreText); token != QXmlStreamReader::NoToken;
         token = readNextToken(reader, moreText)) {
        if (token == QXmlStreamReader::StartElement) {
            auto node = startNode(reader, open.empty() ? nullptr : open.back(), file);
            SchemaNode *raw = node.get();
            if (open.empty())
                root = std::move(node);
            else
                open.back()->children.push_back(std::move(node));
            open.push_back(raw);
        } else if (token == QXmlStreamReader::EndElement) {
            open.pop_back();
        }
    }
    if (reader.hasError()) {
        errorMessage = reader.errorString();
        return nullptr;
    }
    return root;
}

// The shared reader is the gate every XML input passes: it refuses a DOCTYPE before an entity
// could be declared, and nesting or overladen elements before they could cost anything. Only a
// text it let through is read again, with namespaces and lines, which its tree does not keep.
std::unique_ptr<SchemaNode> readSchemaFile(QFile &file, const SchemaFile *owner, QString &errorMessage)
{
    {
        QDomDocument unused;
        if (!readXmlFile(file, unused, BlankText::Drop, &errorMessage, MaxSchemaFileBytes))
            return nullptr;
    }
    if (!file.seek(0)) {
        errorMessage = file.errorString();
        return nullptr;
    }
    return readTree(file, owner, errorMessage);
}

// A path or a file URL on this machine; a file URL with a host names a share on the network.
bool isLocalFile(const QUrl &address)
{
    return address.isLocalFile() && address.host().isEmpty();
}

QString lineOf(const SchemaNode &node)
{
    return QString::number(node.line);
}

} // namespace

const SchemaNode *SchemaNode::child(QLatin1String xmlSchemaName) const
{
    for (const auto &node : children) {
        if (node->is(xmlSchemaName))
            return node.get();
    }
    return nullptr;
}

SchemaSet::SchemaSet(const QString &path, const XmlCatalog &catalogs)
    : catalog(catalogs)
{
    load(path, fileAddress(path), nullptr, nullptr, 0);
}

SchemaSet::~SchemaSet() = default;

void SchemaSet::refuse(const SchemaNode &node, const QString &reason)
{
    throw failure(messages::SchemaDeclarationRefused, node.file->path, lineOf(node), reason);
}

// The schema a caller names fails with the bare message, a file the schema names where it names it:
// either as a failure of the message's kind.
template <FailureKind Kind>
void SchemaSet::refuseFile(const SchemaNode *reference, FailureMessage<Kind> message, const QString &detail)
{
    if (!reference)
        throw failure(message, detail);
    throwFailure(Kind,
        formatMessage(messages::SchemaDeclarationRefused, reference->file->path, lineOf(*reference),
            formatMessage(message, detail)));
}

void SchemaSet::load(const QString &path, const QString &address, const SchemaNode *reference,
    const QString *includingNamespace, int depth)
{
    const QFileInfo info(path);
    // A FIFO or a device would block or never end; the schema a caller names is refused as a
    // file that cannot be opened, a file the schema names as what it is.
    if (!info.isFile()) {
        if (!reference || !info.exists())
            refuseFile(reference, messages::CannotOpenFile, path);
        refuse(*reference, formatMessage(messages::SchemaFileNotRegular, path));
    }
    if (loaded.contains(info.canonicalFilePath()))
        return;
    loaded.insert(info.canonicalFilePath());

    QFile device(path);
    if (!device.open(QIODevice::ReadOnly))
        refuseFile(reference, messages::CannotOpenFile, path);
    auto file = std::make_unique<SchemaFile>();
    file->path = path;
    file->address = address;
    QString parserMessage;
    file->root = readSchemaFile(device, file.get(), parserMessage);
    if (!file->root) {
        // The parser's text names no file, which only matters for a file the schema names.
        const QString where = reference ? path + QLatin1String(": ") : QString();
        refuseFile(reference, messages::CannotParseFile, where + parserMessage);
    }
    const SchemaNode &root = *file->root;
    if (!root.is(xsd::Schema))
        refuse(root, formatMessage(messages::NotXmlSchema, root.writtenName));

    // A schema without a target namespace takes the one of the schema that includes it.
    file->targetNamespace = root.attribute(xsd::TargetNamespaceAttribute);
    if (includingNamespace && !root.hasAttribute(xsd::TargetNamespaceAttribute))
        file->targetNamespace = *includingNamespace;
    if (includingNamespace && file->targetNamespace != *includingNamespace)
        refuse(*reference,
            formatMessage(messages::IncludedNamespaceDiffers, path, file->targetNamespace, *includingNamespace));
    if (!reference)
        mainNamespace = file->targetNamespace;

    files.push_back(std::move(file));
    collect(*files.back(), files.back()->targetNamespace == mainNamespace, depth);
}

void SchemaSet::collect(const SchemaFile &file, bool inMainNamespace, int depth)
{
    for (const auto &child : file.root->children) {
        const SchemaNode &node = *child;
        const QualifiedName name{file.targetNamespace, node.attribute(xsd::NameAttribute)};
        const bool declaration =
            node.is(xsd::Element) || node.is(xsd::ComplexType) || node.is(xsd::SimpleType) || node.is(xsd::Group);
        if (declaration && name.name.isEmpty())
            refuse(node, formatMessage(messages::DeclarationWithoutName, node.writtenName));
        if (node.is(xsd::Include) || node.is(xsd::Import)) {
            follow(node, node.is(xsd::Include), file.targetNamespace, depth);
        } else if (node.is(xsd::Redefine) || node.is(xsd::Override)) {
            refuse(node, formatMessage(messages::RedefineNotRead, node.writtenName));
        } else if (node.is(xsd::Element)) {
            elements.insert(name, &node);
            if (inMainNamespace)
                candidates.append(&node);
        } else if (node.is(xsd::ComplexType)) {
            complexTypes.insert(name, &node); // a later declaration wins
        } else if (node.is(xsd::SimpleType)) {
            simpleTypes.insert(name, &node);
        } else if (node.is(xsd::Group)) {
            groups.insert(name, &node);
        }
    }
}

void SchemaSet::follow(const SchemaNode &directive, bool include, const QString &targetNamespace, int depth)
{
    const QString location = directive.attribute(xsd::SchemaLocationAttribute);
    if (!include) {
        const QString importedNamespace = directive.attribute(xsd::NamespaceAttribute);
        // GML is known by name; its schemas, wherever they are, are not read.
        if (isGmlNamespace(importedNamespace)) {
            gmlImports.insert(importedNamespace);
            return;
        }
        if (location.isEmpty())
            return;
    }
    const QString address = catalog.locate(location, directive.file->address);
    const QUrl url(address);
    if (!isLocalFile(url)) {
        // Another namespace on the network that no catalog maps: what the schema takes from it
        // is refused where it is used.
        if (!include)
            return;
        refuse(directive, formatMessage(messages::SchemaFileNotLocal, location));
    }
    if (depth >= MaxIncludeDepth)
        refuse(directive, formatMessage(messages::IncludesTooDeep, QString::number(MaxIncludeDepth)));
    load(QDir::cleanPath(url.toLocalFile()), address, &directive, include ? &targetNamespace : nullptr, depth + 1);
}

QualifiedName SchemaSet::resolve(const SchemaNode &node, const QString &value) const
{
    const QString text = value.trimmed();
    const int colon = text.indexOf(QLatin1Char(':'));
    const QString prefix = colon < 0 ? QString() : text.left(colon);
    const QString localName = text.mid(colon + 1);
    if (prefix == XmlPrefix)
        return {XmlNamespaceUri, localName};
    for (const SchemaNode *scope = &node; scope; scope = scope->parent) {
        for (const QXmlStreamNamespaceDeclaration &declaration : scope->namespaces) {
            if (declaration.prefix() == prefix)
                return {declaration.namespaceUri().toString(), localName};
        }
    }
    if (!prefix.isEmpty())
        refuse(node, formatMessage(messages::PrefixNotDeclared, text));
    return {QString(), localName};
}

const SchemaNode *SchemaSet::lookup(
    const QHash<QualifiedName, const SchemaNode *> &declarations, const SchemaNode &node, const QString &value) const
{
    const QualifiedName name = resolve(node, value);
    if (const SchemaNode *found = declarations.value(name))
        return found;
    if (name.namespaceUri.isEmpty() && !value.contains(QLatin1Char(':')))
        return declarations.value({node.file->targetNamespace, name.name});
    return nullptr;
}

} // namespace pelmak
