#include "xmldom_p.h"

#include "message_p.h"

#include <QIODevice>
#include <QPair>
#include <QScopeGuard>
#include <QTextCodec>
#include <QVarLengthArray>
#include <QXmlStreamReader>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pelmak {
namespace {

void refuse(QXmlStreamReader &reader, const QString &reason)
{
    reader.raiseError(reason);
}

QString lineOf(const QXmlStreamReader &reader)
{
    return QString::number(reader.lineNumber());
}

// Gives the reader its next piece of text; false when there is none left.
using MoreText = std::function<bool(QXmlStreamReader &)>;

bool needsMoreText(QXmlStreamReader &reader, const MoreText &moreText)
{
    return reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && moreText && moreText(reader);
}

enum class TextKind { Text, CData, Blank };

/*
 * Builds a tree below a top node without a parent from what a tokenizer tells it, in document
 * order. It never sees the parser, so it can work on a thread of its own.
 */
class TreeBuilder
{
public:
    TreeBuilder(QDomDocument &ownerDocument, const QDomNode &top, BlankText blanks)
        : owner(ownerDocument)
        , treeTop(top)
        , current(top)
        , blankText(blanks)
    {
    }

    void startElement(const QString &name, const XmlAttributes &attributes)
    {
        QDomElement element = owner.createElement(name);
        for (const auto &attribute : attributes)
            element.setAttribute(attribute.first, attribute.second);
        append(element);
        current = element;
    }

    void endElement()
    {
        settleBlank(Boundary::Other);
        current = current.parentNode();
    }

    void text(const QString &text, TextKind kind)
    {
        // Outside the root element the parser allows whitespace only, which means nothing.
        if (current == treeTop)
            return;
        if (kind == TextKind::CData)
            append(owner.createCDATASection(text));
        else if (kind == TextKind::Text)
            append(owner.createTextNode(text));
        else if (blankText == BlankText::Values)
            blank += text;
    }

    void comment(const QString &text) { append(owner.createComment(text)); }

    void processingInstruction(const QString &target, const QString &data)
    {
        append(owner.createProcessingInstruction(target, data));
    }

private:
    void append(const QDomNode &node)
    {
        settleBlank(node.isText() ? Boundary::Text : node.isElement() ? Boundary::Element : Boundary::Other);
        current.appendChild(node);
    }

    enum class Boundary { Text, Element, Other };

    /*
     * Blanks beside an element are indentation, and most of a document's nodes would be nothing
     * else; any other blanks (an element's whole content, next to text or a comment) are kept.
     */
    void settleBlank(Boundary next)
    {
        if (blank.isEmpty())
            return;
        const bool besideElement = next == Boundary::Element || current.lastChild().isElement();
        if (next == Boundary::Text || !besideElement)
            current.appendChild(owner.createTextNode(blank));
        blank.resize(0); // keeps the storage, unless a text node shares it
    }

    QDomDocument &owner;
    const QDomNode treeTop;
    QDomNode current;
    const BlankText blankText;
    QString blank; ///< whitespace read but not yet placed
};

// The start tag's attributes; false when one has a name that is no XML name.
bool readAttributes(const QXmlStreamReader &reader, XmlNameCache &names, XmlAttributes &attributes)
{
    const QXmlStreamAttributes all = reader.attributes(); // a const copy: iterating the temporary would detach it
    attributes.reserve(all.size());
    for (const QXmlStreamAttribute &attribute : all) {
        const QString name = attribute.qualifiedName().toString();
        if (!names.isReadableName(name))
            return false;
        attributes.append({name, attribute.value().toString()});
    }
    return true;
}

/*
 * Reads tokens from the parser and tells a sink (a TreeBuilder, or whatever carries the tokens to
 * one) what to build. Here hostile text stops: a DOCTYPE, too deep a nesting, or an attribute
 * name that is no XML name ends the reading with an error on the parser.
 */
template <typename Sink>
bool tokenize(QXmlStreamReader &reader, Sink &sink, int maxDepth, XmlNameCache &names, QString *errorMessage,
              const MoreText &moreText)
{
    reader.setNamespaceProcessing(false);
    int depth = 0;
    while (!reader.atEnd() || needsMoreText(reader, moreText)) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            refuse(reader, formatMessage(messages::DoctypeNotAllowed, lineOf(reader)));
            break;
        case QXmlStreamReader::StartElement: {
            if (++depth > maxDepth) {
                refuse(reader, formatMessage(messages::NestingTooDeep, lineOf(reader), QString::number(maxDepth)));
                break;
            }
            XmlAttributes attributes;
            if (!readAttributes(reader, names, attributes)) {
                refuse(reader, formatMessage(messages::AttributeNameNotAllowed, lineOf(reader)));
                break;
            }
            sink.startElement(names.elementName(reader.qualifiedName()), attributes);
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            sink.endElement();
            break;
        case QXmlStreamReader::Characters:
            if (reader.isCDATA())
                sink.text(reader.text().toString(), TextKind::CData);
            else if (!reader.isWhitespace())
                sink.text(reader.text().toString(), TextKind::Text);
            else
                sink.text(names.whitespace(reader.text()), TextKind::Blank);
            break;
        case QXmlStreamReader::Comment:
            sink.comment(reader.text().toString());
            break;
        case QXmlStreamReader::ProcessingInstruction: {
            // The parser does not check the characters of a target either.
            const QString target = reader.processingInstructionTarget().toString();
            if (!names.isReadableName(target)) {
                refuse(reader, formatMessage(messages::ProcessingInstructionTargetNotAllowed, lineOf(reader)));
                break;
            }
            sink.processingInstruction(target, reader.processingInstructionData().toString());
            break;
        }
        default:
            break;
        }
    }
    if (!reader.hasError())
        return true;
    if (errorMessage)
        *errorMessage = reader.errorString();
    return false;
}

// Replaces document only when the whole text was read.
bool buildDocument(QXmlStreamReader &reader, QDomDocument &document, BlankText blankText, QString *errorMessage)
{
    QDomDocument built{QString()}; // not null from the start, so that it can be the top of the tree
    TreeBuilder builder(built, built, blankText);
    XmlNameCache names;
    if (!tokenize(reader, builder, MaxXmlDepth, names, errorMessage, {}))
        return false;
    document = built;
    return true;
}

// What the tokenizer tells a TreeBuilder, kept for it.
struct Token
{
    QXmlStreamReader::TokenType type;
    QString text; ///< element name, text, comment or target
    QString data; ///< processing instruction data
    XmlAttributes attributes;
    TextKind kind = TextKind::Text;
};
using Tokens = std::vector<Token>;

void replay(const Token &token, TreeBuilder &builder)
{
    switch (token.type) {
    case QXmlStreamReader::StartElement:
        builder.startElement(token.text, token.attributes);
        break;
    case QXmlStreamReader::EndElement:
        builder.endElement();
        break;
    case QXmlStreamReader::Characters:
        builder.text(token.text, token.kind);
        break;
    case QXmlStreamReader::Comment:
        builder.comment(token.text);
        break;
    default:
        builder.processingInstruction(token.text, token.data);
        break;
    }
}

// A sink for tokenize that keeps the tokens, as record() decides.
class TokenRecorder
{
public:
    virtual ~TokenRecorder() = default;

    void startElement(const QString &name, const XmlAttributes &attributes)
    {
        record({QXmlStreamReader::StartElement, name, {}, attributes});
    }
    void endElement() { record({QXmlStreamReader::EndElement, {}, {}, {}}); }
    void text(const QString &text, TextKind kind) { record({QXmlStreamReader::Characters, text, {}, {}, kind}); }
    void comment(const QString &text) { record({QXmlStreamReader::Comment, text, {}, {}}); }
    void processingInstruction(const QString &target, const QString &data)
    {
        record({QXmlStreamReader::ProcessingInstruction, target, data, {}});
    }

    void forward(Tokens &tokens)
    {
        for (Token &token : tokens)
            record(std::move(token));
    }

protected:
    virtual void record(Token &&token) = 0;
};

// Builds each token into the tree as it comes, on the thread that makes them.
class DirectTokens : public TokenRecorder
{
public:
    DirectTokens(QDomDocument &owner, const QDomNode &top, BlankText blankText)
        : builder(owner, top, blankText)
    {
    }

protected:
    void record(Token &&token) override { replay(token, builder); }

private:
    TreeBuilder builder;
};

// The tokens of a fragment's root element, its subtree included, and nothing around it.
class RootElementTokens : public TokenRecorder
{
public:
    Tokens tokens;

protected:
    void record(Token &&token) override
    {
        const QXmlStreamReader::TokenType type = token.type;
        if (type == QXmlStreamReader::StartElement)
            ++depth;
        if (depth > 0)
            tokens.push_back(std::move(token));
        if (type == QXmlStreamReader::EndElement)
            --depth;
    }

private:
    int depth = 0;
};

/*
 * Carries tokens from one thread to a builder on another in batches, so that making the tokens
 * (parsing a document, say) and building the tree take place at once.
 */
class TokenPipe : public TokenRecorder
{
public:
    // No more tokens come; also when their maker stopped on an error.
    void close()
    {
        send();
        const std::lock_guard<std::mutex> lock(mutex);
        closed = true;
        changed.notify_all();
    }

    // The builder's side: replays every token into builder until the pipe is closed. Should the
    // builder fail, the other side stops waiting for it and drops what it sends.
    void replayInto(TreeBuilder &builder)
    {
        const auto leave = qScopeGuard([this] {
            const std::lock_guard<std::mutex> lock(mutex);
            builderGone = true;
            changed.notify_all();
        });
        for (Tokens batch; take(batch); batch.clear()) {
            for (const Token &token : batch)
                replay(token, builder);
        }
    }

protected:
    void record(Token &&token) override
    {
        filling.push_back(std::move(token));
        if (filling.size() == BatchSize)
            send();
    }

private:
    static constexpr size_t BatchSize = 4096;
    static constexpr size_t MaxBatchesWaiting = 8; // bounds the memory between the threads

    void send()
    {
        if (filling.empty())
            return;
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return waiting.size() < MaxBatchesWaiting || builderGone; });
        if (!builderGone)
            waiting.push_back(std::move(filling));
        filling = Tokens();
        filling.reserve(BatchSize);
        changed.notify_all();
    }

    bool take(Tokens &batch)
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !waiting.empty() || closed; });
        if (waiting.empty())
            return false;
        batch = std::move(waiting.front());
        waiting.pop_front();
        changed.notify_all();
        return true;
    }

    Tokens filling;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Tokens> waiting;
    bool closed = false;
    bool builderGone = false;
};

} // namespace

// A TreeBuilder fed with tokens: through a pipe on a thread of its own, or at once.
class StreamedTreeBuilder
{
public:
    StreamedTreeBuilder(QDomDocument &owner, const QDomNode &top, BlankText blankText, BuildOn where)
    {
        if (where == BuildOn::ThisThread || std::thread::hardware_concurrency() < 2) {
            direct = std::make_unique<DirectTokens>(owner, top, blankText);
            return;
        }
        building = std::async(std::launch::async, [this, &owner, top, blankText] {
            TreeBuilder builder(owner, top, blankText);
            pipe.replayInto(builder);
        });
    }
    StreamedTreeBuilder(const StreamedTreeBuilder &) = delete;
    StreamedTreeBuilder &operator=(const StreamedTreeBuilder &) = delete;

    ~StreamedTreeBuilder()
    {
        if (building.valid()) {
            pipe.close();
            building.wait();
        }
    }

    TokenRecorder &tokens()
    {
        if (direct)
            return *direct;
        return pipe;
    }

    // Waits until everything sent is built; rethrows what stopped the builder.
    void finish()
    {
        if (!building.valid())
            return;
        pipe.close();
        building.get();
    }

private:
    TokenPipe pipe;
    std::unique_ptr<DirectTokens> direct;
    std::future<void> building;
};

bool readXmlDocument(QXmlStreamReader &reader, QDomDocument &document, BlankText blankText, QString *errorMessage)
{
    return buildDocument(reader, document, blankText, errorMessage);
}

bool readXmlFile(QIODevice &file, QDomDocument &document, BlankText blankText, QString *errorMessage)
{
    constexpr qint64 PieceSize = 1 << 20;
    const std::unique_ptr<QTextDecoder> decoder(QTextCodec::codecForName("UTF-8")->makeDecoder());
    const MoreText nextPiece = [&](QXmlStreamReader &reader) {
        const QByteArray bytes = file.read(PieceSize);
        if (bytes.isEmpty())
            return false;
        reader.addData(decoder->toUnicode(bytes));
        return true;
    };

    QDomDocument built{QString()};
    bool parsed = false;
    {
        // The tree of a large file is built on a second thread while this one parses.
        const BuildOn where = file.size() > PieceSize ? BuildOn::SecondThread : BuildOn::ThisThread;
        StreamedTreeBuilder builder(built, built, blankText, where);
        QXmlStreamReader reader;
        XmlNameCache names;
        parsed = tokenize(reader, builder.tokens(), MaxXmlDepth, names, errorMessage, nextPiece);
        builder.finish();
    }
    if (!parsed)
        return false;
    document = built;
    return true;
}

namespace {

// The entry of known equal to text, or a new string, kept while known has room.
QString shared(QVector<QString> &known, int capacity, const QStringRef &text)
{
    for (const QString &entry : known) {
        if (entry == text)
            return entry;
    }
    const QString made = text.toString();
    if (known.size() < capacity)
        known.append(made);
    return made;
}

} // namespace

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

namespace {

// Where a text is written decides which characters Qt escapes in it.
enum class TextPlace {
    AttributeValue, ///< quotes, and tabs and line breaks (which parsers would normalise away)
    ElementContent, ///< carriage returns (which parsers would turn into line feeds)
    Elsewhere,      ///< quotes and carriage returns
};

class XmlTextWriter
{
public:
    XmlTextWriter(int indentation, QString &text, const std::function<void(QString &)> &flushText)
        : indent(indentation)
        , out(text)
        , flush(flushText)
    {
    }

    void writeNode(const QDomNode &node, int depth)
    {
        switch (node.nodeType()) {
        case QDomNode::ElementNode:
            writeElement(node.toElement(), depth);
            break;
        case QDomNode::TextNode:
            appendEscaped(node.nodeValue(),
                          node.parentNode().isElement() ? TextPlace::ElementContent : TextPlace::Elsewhere);
            break;
        case QDomNode::CDATASectionNode:
            out += QLatin1String("<![CDATA[") + node.nodeValue() + QLatin1String("]]>");
            break;
        case QDomNode::CommentNode:
            writeComment(node, depth);
            break;
        case QDomNode::ProcessingInstructionNode:
            out += QLatin1String("<?") + node.nodeName() + QLatin1Char(' ') + node.nodeValue()
                + QLatin1String("?>\n");
            break;
        default: // nothing else is ever built into the library's trees
            break;
        }
        if (flush && out.size() >= FlushSize)
            flush(out);
    }

private:
    static constexpr int FlushSize = 1 << 16;

    void writeElement(const QDomElement &element, int depth)
    {
        indentUnlessAfterText(element, depth);
        const QString name = element.tagName();
        out += QLatin1Char('<') + name;
        if (element.hasAttributes()) // most elements have none, and their map costs an allocation
            writeAttributes(element.attributes());

        if (!element.hasChildNodes()) {
            out += QLatin1String("/>");
        } else {
            out += QLatin1Char('>');
            if (!element.firstChild().isText() && indent != -1)
                out += QLatin1Char('\n');
            for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
                writeNode(child, depth + 1);
            if (!element.lastChild().isText())
                appendIndentation(depth);
            out += QLatin1String("</") + name + QLatin1Char('>');
        }
        if (!element.nextSibling().isText() && indent != -1)
            out += QLatin1Char('\n');
    }

    // Qt keeps an element's attributes in a hash whose order changes from run to run: sorted by
    // name, the same tree gives the same text every time.
    void writeAttributes(const QDomNamedNodeMap &map)
    {
        QVarLengthArray<QDomNode, 8> attributes;
        for (int i = 0; i < map.count(); ++i)
            attributes.append(map.item(i));
        std::sort(attributes.begin(), attributes.end(),
                  [](const QDomNode &a, const QDomNode &b) { return a.nodeName() < b.nodeName(); });
        for (const QDomNode &attribute : attributes) {
            out += QLatin1Char(' ') + attribute.nodeName() + QLatin1String("=\"");
            appendEscaped(attribute.nodeValue(), TextPlace::AttributeValue);
            out += QLatin1Char('"');
        }
    }

    void writeComment(const QDomNode &comment, int depth)
    {
        indentUnlessAfterText(comment, depth);
        const QString text = comment.nodeValue();
        out += QLatin1String("<!--") + text;
        if (text.endsWith(QLatin1Char('-')))
            out += QLatin1Char(' '); // "--->" would not end the comment well-formed
        out += QLatin1String("-->");
        if (!comment.nextSibling().isText())
            out += QLatin1Char('\n');
    }

    // Blanks before a node would become part of a text node beside it.
    void indentUnlessAfterText(const QDomNode &node, int depth)
    {
        if (!node.previousSibling().isText())
            appendIndentation(depth);
    }

    void appendIndentation(int depth)
    {
        if (indent > 0)
            out += QString(depth * indent, QLatin1Char(' '));
    }

    void appendEscaped(const QString &text, TextPlace place)
    {
        const int start = out.size();
        for (const QChar c : text) {
            switch (c.unicode()) {
            case u'<':
                out += QLatin1String("&lt;");
                break;
            case u'&':
                out += QLatin1String("&amp;");
                break;
            case u'"':
                out += place == TextPlace::ElementContent ? QLatin1String("\"") : QLatin1String("&quot;");
                break;
            case u'>': // only where it would close "]]>"
                out += out.size() - start >= 2 && out.endsWith(QLatin1String("]]")) ? QLatin1String("&gt;")
                                                                                     : QLatin1String(">");
                break;
            case u'\t':
                out += place == TextPlace::AttributeValue ? QLatin1String("&#x9;") : QLatin1String("\t");
                break;
            case u'\n':
                out += place == TextPlace::AttributeValue ? QLatin1String("&#xa;") : QLatin1String("\n");
                break;
            case u'\r':
                out += QLatin1String("&#xd;");
                break;
            default:
                out += c;
            }
        }
    }

    const int indent;
    QString &out;
    const std::function<void(QString &)> &flush;
};

} // namespace

void saveXmlDocument(const QDomDocument &document, int indent, QString &out,
                     const std::function<void(QString &)> &flush)
{
    XmlTextWriter writer(indent, out, flush);
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling())
        writer.writeNode(node, 0);
    flush(out);
}

void saveXmlNode(const QDomNode &node, int depth, int indent, QString &out)
{
    const std::function<void(QString &)> noFlush;
    XmlTextWriter(indent, out, noFlush).writeNode(node, depth);
}

ElementStream::ElementStream(QDomDocument &owner, const QDomNode &parent, BuildOn where)
    : builder(std::make_unique<StreamedTreeBuilder>(owner, parent, BlankText::Drop, where))
{
}

ElementStream::~ElementStream() = default;

void ElementStream::startElement(const QString &name, const XmlAttributes &attributes)
{
    builder->tokens().startElement(name, attributes);
}

void ElementStream::endElement()
{
    builder->tokens().endElement();
}

void ElementStream::text(const QString &text)
{
    builder->tokens().text(text, TextKind::Text);
}

void ElementStream::rootElementOf(QXmlStreamReader &reader, int maxDepth, XmlNameCache &names)
{
    RootElementTokens root;
    if (tokenize(reader, root, maxDepth, names, nullptr, {}))
        builder->tokens().forward(root.tokens);
}

void ElementStream::finish()
{
    builder->finish();
}

} // namespace pelmak
