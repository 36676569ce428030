#ifndef XSDEXCHANGE_TESTS_TOOL_P_H
#define XSDEXCHANGE_TESTS_TOOL_P_H

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// The tool's commands, as its --help lists them.
inline const QStringList ToolCommands = {"tables", "layers", "export", "validate", "import", "demo"};

// What one run of the tool printed and how it ended.
struct ToolRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

inline ToolRun runTool(const QStringList &arguments, const QString &locale = "C.UTF-8")
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", locale);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(XSDEXCHANGE_PATH), arguments);
    process.waitForFinished(300000);
    ToolRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

enum SurveyPointsEnd { AllPointsGood, LastPointBroken };

// An exchange document of @p count survey points of the sample schema, more than one batch of the
// tool's; with LastPointBroken the last position has one coordinate, which no layer can store.
inline QString writeSurveyPoints(const QString &path, int count, SurveyPointsEnd end)
{
    QByteArray text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gml:FeatureCollection "
        "xmlns:gml=\"http://www.opengis.net/gml\" xmlns=\"urn:pelmak:exchange\">\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray position = end == LastPointBroken && i + 1 == count ? "412000" : "412000 6190000";
        text += " <gml:featureMember>\n  <SurveyPoint gml:id=\"SurveyPoint." + QByteArray::number(i)
            + "\">\n   <pointNumber>" + QByteArray::number(i) + "</pointNumber>\n   <elevation>1</elevation>\n"
              "   <markType>pin</markType>\n   <gml:Point srsName=\"EPSG:32637\"><gml:pos>" + position
            + "</gml:pos></gml:Point>\n  </SurveyPoint>\n </gml:featureMember>\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text + "</gml:FeatureCollection>\n") < 0)
        return {};
    return path;
}

#endif
