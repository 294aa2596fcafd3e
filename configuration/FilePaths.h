#pragma once

#include <QString>

// Where the program's own files are (file URLs become paths in LocalFile).

// The folder of the program's own files: that of Config's files (the
// program's folder; a test's own), else the program's.
QString programFilesFolder();

// The inspection report "label.csv": written and opened in the working folder.
QString labelReportPath();
