#include "tests/support/TestMain.h"

#include <QDir>
#include <QTemporaryDir>

int runTestInTempDir(int argc, char **argv, QObject *test, bool)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QDir::setCurrent(dir.path());
    return QTest::qExec(test, argc, argv);
}
