#include "xmldom_p.h"

#include <QXmlStreamReader>

namespace pelmak {

bool readXmlDocument(QXmlStreamReader &reader, QDomDocument &document, BlankText blankText,
                     QString *errorMessage)
{
    reader.setNamespaceProcessing(false);
    QDomDocument built{QString()}; // not null from the start, so that current can stand for it
    QDomNode current = built;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            QDomElement element = built.createElement(reader.qualifiedName().toString());
            for (const QXmlStreamAttribute &attribute : reader.attributes())
                element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
            current = current.appendChild(element);
            break;
        }
        case QXmlStreamReader::EndElement:
            current = current.parentNode();
            break;
        case QXmlStreamReader::Characters:
            // Outside the root element the parser allows whitespace only, which means nothing.
            if (current == built || (blankText == BlankText::Drop && reader.isWhitespace()))
                break;
            if (reader.isCDATA())
                current.appendChild(built.createCDATASection(reader.text().toString()));
            else
                current.appendChild(built.createTextNode(reader.text().toString()));
            break;
        case QXmlStreamReader::Comment:
            current.appendChild(built.createComment(reader.text().toString()));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            current.appendChild(built.createProcessingInstruction(
                reader.processingInstructionTarget().toString(), reader.processingInstructionData().toString()));
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        if (errorMessage)
            *errorMessage = reader.errorString();
        return false;
    }
    document = built;
    return true;
}

} // namespace pelmak
