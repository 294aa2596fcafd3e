#pragma once

// Runs the xlsxfixture helper that sits beside the tests.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace XlsxFixture {

// Rows of tab-separated cells (see xlsxfixture.cpp); true when the workbook was written.
inline bool write(const QString &path, const QStringList &rows, bool inlineStrings = false)
{
    QFile cells(path + QStringLiteral(".tsv"));
    if (!cells.open(QIODevice::WriteOnly))
        return false;
    cells.write(rows.join(QLatin1Char('\n')).toUtf8());
    cells.close();
    QStringList arguments{path, cells.fileName()};
    if (inlineStrings)
        arguments << QStringLiteral("--inline");
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/xlsxfixture"), arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace XlsxFixture
