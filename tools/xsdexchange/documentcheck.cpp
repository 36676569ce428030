#include "documentcheck.h"

#include "command.h"
#include "console.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <algorithm>
#include <utility>

namespace xsdexchange {
namespace {

struct Position
{
    qint64 line;
    qint64 column;
    bool operator<(const Position &other) const
    {
        return line != other.line ? line < other.line : column < other.column;
    }
};

struct MemberSpan
{
    Position begin; // where the member's start tag begins (the end of the token before it)
    Position end;   // just after the member's end tag
    QString featureId;
};

/**
 * Where each feature member of a document lies, found by one streaming pass over the text.
 * A document that stops being well-formed keeps the members found before the fault.
 */
class FeatureLocator
{
public:
    explicit FeatureLocator(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        QXmlStreamReader reader(&file);
        Position previousEnd{1, 1};
        MemberSpan member;
        int depth = 0;
        bool wantFeatureId = false;
        while (!reader.atEnd() && !reader.hasError()) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            const Position here{reader.lineNumber(), reader.columnNumber() + 1};
            if (token == QXmlStreamReader::StartElement) {
                ++depth;
                if (depth == 2 && reader.qualifiedName() == QLatin1String("gml:featureMember")) {
                    member = MemberSpan{previousEnd, {}, QString()};
                    wantFeatureId = true;
                } else if (depth == 3 && wantFeatureId) {
                    member.featureId = reader.attributes().value(QLatin1String("gml:id")).toString();
                    wantFeatureId = false;
                }
            } else if (token == QXmlStreamReader::EndElement) {
                if (depth == 2 && reader.qualifiedName() == QLatin1String("gml:featureMember")) {
                    member.end = here;
                    members.append(member);
                    wantFeatureId = false;
                }
                --depth;
            }
            previousEnd = here;
        }
    }

    QString featureAt(int line, int column) const
    {
        const Position position{line, column};
        // The last member that begins at or before the position.
        auto it = std::upper_bound(members.cbegin(), members.cend(), position,
                                   [](const Position &p, const MemberSpan &m) { return p < m.begin; });
        if (it == members.cbegin())
            return {};
        --it;
        return it->end < position ? QString() : it->featureId;
    }

private:
    QList<MemberSpan> members;
};

} // namespace

DocumentChecker::DocumentChecker(const QString &schemaPath)
{
    checker.loadGrammar(schemaPath, [this](int line, int column, const std::string &text) {
        diagnostics.append(Diagnostic{line, column, QString::fromLocal8Bit(text.data(), static_cast<int>(text.size())),
                                      QString()});
    });
}

DocumentReport DocumentChecker::check(const QString &documentPath)
{
    const QFileInfo file(documentPath);
    if (!file.isFile() || !file.isReadable())
        throw StepFailure("cannot read " + documentPath.toStdString());

    diagnostics.clear();
    DocumentReport report;
    report.document = documentPath;
    report.errorCount = checker.checkXmlFile(documentPath);
    report.diagnostics = std::exchange(diagnostics, {});
    if (!report.diagnostics.isEmpty()) {
        const FeatureLocator locator(documentPath);
        for (Diagnostic &diagnostic : report.diagnostics)
            diagnostic.feature = locator.featureAt(diagnostic.line, diagnostic.column);
    }
    return report;
}

void printText(const DocumentReport &report, const QString &indent)
{
    for (const Diagnostic &diagnostic : report.diagnostics) {
        out() << indent << report.document << ':' << diagnostic.line << ':' << diagnostic.column << ": " << diagnostic.message;
        if (!diagnostic.feature.isEmpty())
            out() << " [" << diagnostic.feature << ']';
        out() << '\n';
    }
    out() << indent;
    if (report.errorCount == 0)
        out() << report.document << ": valid\n";
    else
        out() << report.document << ": " << report.errorCount << (report.errorCount == 1 ? " error\n" : " errors\n");
    out() << Qt::flush;
}

void printJson(const DocumentReport &report)
{
    QJsonArray diagnostics;
    for (const Diagnostic &diagnostic : report.diagnostics) {
        diagnostics.append(QJsonObject{
            {QStringLiteral("document"), report.document},
            {QStringLiteral("line"), diagnostic.line},
            {QStringLiteral("column"), diagnostic.column},
            {QStringLiteral("message"), diagnostic.message},
            {QStringLiteral("feature"), diagnostic.feature.isEmpty() ? QJsonValue() : QJsonValue(diagnostic.feature)},
        });
    }
    out() << QString::fromUtf8(QJsonDocument(diagnostics).toJson(QJsonDocument::Compact)) << Qt::endl;
}

} // namespace xsdexchange
