#pragma once

#include <QTest>

// Runs a Qt Test class inside a temporary folder of its own, headless.
int runTestInTempDir(int argc, char **argv, QObject *test, bool gui);

#define DRAVO_TEST_MAIN(TestClass)                                                                                     \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        QCoreApplication app(argc, argv);                                                                              \
        TestClass test;                                                                                                \
        return runTestInTempDir(argc, argv, &test, false);                                                             \
    }

// The same with a QApplication, for graphics scenes, widgets and painted text;
// the test file includes <QApplication>.
#define DRAVO_GUI_TEST_MAIN(TestClass)                                                                                 \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        TestClass test;                                                                                                \
        return runTestInTempDir(argc, argv, &test, true);                                                              \
    }
