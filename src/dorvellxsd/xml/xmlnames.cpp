#include "xmlnames_p.h"

#include <QXmlStreamReader>

namespace pelmak {
namespace {

// The entry of known equal to text, or a new string, kept while known has room.
QString shared(QVector<QString> &known, int capacity, const QStringRef &text)
{
    for (const QString &entry : known) {
        if (entry == text)
            return entry;
    }
    const QString made = exactCopy(text);
    if (known.size() < capacity)
        known.append(made);
    return made;
}

} // namespace

QString exactCopy(const QStringRef &text)
{
    return text.string() == nullptr ? QString() : QString(text.unicode(), text.size());
}

QString XmlNameCache::elementName(const QStringRef &name)
{
    return shared(elementNames, MaxElementNames, name);
}

QString XmlNameCache::whitespace(const QStringRef &text)
{
    return shared(blanks, MaxBlanks, text);
}

// The parser checks the characters of element names but not those of attribute names and
// processing instruction targets, and would let a control character through.
bool XmlNameCache::isReadableName(const QString &name)
{
    if (readableNames.contains(name))
        return true;
    if (!isReadableXmlName(name))
        return false;
    readableNames.insert(name);
    return true;
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
