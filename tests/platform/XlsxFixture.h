#pragma once

// Writes a workbook through the xlsxfixture helper that sits beside the tests.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace XlsxFixture {

// Rows of tab-separated cells (see xlsxfixture.cpp); true when the workbook was written.
inline bool write(const QString &path, const QStringList &rows, bool inlineStrings = false)
{
    QFile cells(path + QStringLiteral(".tsv"));
    if (!cells.open(QIODevice::WriteOnly) || cells.write(rows.join(QLatin1Char('\n')).toUtf8()) < 0)
        return false;
    cells.close();
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/xlsxfixture"),
                  {path, cells.fileName(), inlineStrings ? QStringLiteral("--inline") : QString()});
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace XlsxFixture
