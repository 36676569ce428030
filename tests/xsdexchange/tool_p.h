#ifndef XSDEXCHANGE_TESTS_TOOL_P_H
#define XSDEXCHANGE_TESTS_TOOL_P_H

#include <QProcess>
#include <QString>
#include <QStringList>

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

#endif
