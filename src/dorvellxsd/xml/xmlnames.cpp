#include "xmlnames_p.h"

#include "xmlnamespaces_p.h"

#include <QXmlStreamReader>

namespace pelmak {
namespace {

// The entry of known equal to text, or a new string, kept while known has room.
const QString *findShared(const QVector<QString> &known, const QStringRef &text)
{
    // Most entries differ in length (indentations always do): that test costs no call.
    for (const QString &entry : known) {
        if (entry.size() == text.size() && entry == text)
            return &entry;
    }
    return nullptr;
}

QString keptShared(QVector<QString> &known, int capacity, const QString &made)
{
    if (known.size() < capacity)
        known.append(made);
    return made;
}

QString shared(QVector<QString> &known, int capacity, const QStringRef &text)
{
    const QString *found = findShared(known, text);
    return found ? *found : keptShared(known, capacity, exactCopy(text));
}

} // namespace

QString exactCopy(const QStringRef &text)
{
    return text.string() == nullptr ? QString() : QString(text.unicode(), text.size());
}

QString XmlNameCache::elementName(const QStringRef &name)
{
    const auto found = elementNames.constFind(QStringView(name.unicode(), name.size()));
    if (found != elementNames.constEnd())
        return *found;
    const QString made = exactCopy(name);
    if (elementNames.size() < MaxElementNames)
        elementNames.insert(made, made);
    return made;
}

QString XmlNameCache::whitespace(const QStringRef &text)
{
    return shared(blanks, MaxBlanks, text);
}

// The parser checks the characters of element names but not those of attribute names and
// processing instruction targets, and would let a control character through.
QString XmlNameCache::attributeName(const QStringRef &name)
{
    if (const QString *found = findShared(attributeNames, name))
        return *found;
    const QString made = exactCopy(name);
    return isReadableXmlName(made) ? keptShared(attributeNames, MaxAttributeNames, made) : QString();
}

bool XmlNameCache::isReadableName(const QString &name)
{
    if (readableNames.contains(name))
        return true;
    if (!isReadableXmlName(name))
        return false;
    readableNames.insert(name);
    return true;
}

void NamespaceScopes::enter(const QVector<QPair<QString, QString>> &attributes)
{
    ++depth;
    static const QLatin1String xmlns("xmlns");
    for (const auto &[name, value] : attributes) {
        if (!name.startsWith(xmlns))
            continue;
        if (name.size() == xmlns.size())
            bindings.push_back({QString(), value, depth});
        else if (name.at(xmlns.size()) == QLatin1Char(':'))
            bindings.push_back({name.mid(xmlns.size() + 1), value, depth});
        else
            continue;
        ++changes;
    }
}

void NamespaceScopes::leave()
{
    while (!bindings.empty() && bindings.back().depth == depth) {
        bindings.pop_back();
        ++changes;
    }
    --depth;
}

const QString *NamespaceScopes::bound(const QStringRef &prefix) const
{
    static const QString xmlNamespace = XmlNamespaceUri;
    static const QString none;
    for (auto it = bindings.crbegin(); it != bindings.crend(); ++it) {
        if (it->prefix == prefix)
            return &it->uri;
    }
    if (prefix.isEmpty())
        return &none;
    return prefix == XmlPrefix ? &xmlNamespace : nullptr;
}

const QString *NamespaceScopes::namespaceOf(const QString &qualifiedName) const
{
    const int colon = qualifiedName.indexOf(QLatin1Char(':'));
    return bound(colon < 0 ? QStringRef() : qualifiedName.leftRef(colon));
}

const QString *NamespaceScopes::attributeNamespaceOf(const QString &qualifiedName) const
{
    static const QString none;
    const int colon = qualifiedName.indexOf(QLatin1Char(':'));
    return colon < 0 ? &none : bound(qualifiedName.leftRef(colon));
}

QStringRef NamespaceScopes::localName(const QString &qualifiedName)
{
    return qualifiedName.midRef(qualifiedName.indexOf(QLatin1Char(':')) + 1);
}

bool isReadableLocalName(const QString &name)
{
    return !name.contains(QLatin1Char(':')) && isReadableXmlName(name);
}

bool isReadableXmlName(const QString &name)
{
    // The parser itself is asked, so that the writers' rule never drifts from the readers'.
    QXmlStreamReader probe(QLatin1Char('<') + name + QLatin1String("/>"));
    probe.setNamespaceProcessing(false);
    if (!probe.readNextStartElement() || probe.qualifiedName() != name)
        return false;
    while (!probe.atEnd())
        probe.readNext();
    return !probe.hasError();
}

} // namespace pelmak
