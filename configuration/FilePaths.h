#pragma once

#include <QString>

// Where the program's own files are, and how a name the pages hand in becomes
// a path: the one place where a file URL is turned into a local path.

// A "file:" URL as a local path; any other text is taken as a path already.
QString localFilePath(const QString &urlOrPath);

// The folder of the program's own files: that of Config's files (the
// program's folder; a test's own), else the program's.
QString programFilesFolder();

// The inspection report "label.csv": written and opened in the working folder.
QString labelReportPath();
