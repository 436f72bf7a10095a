#pragma once

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>

// QTEST_MAIN with the application's own start-up rules: decimal points in printf whatever
// the user's locale, and a throw-away home folder of its own for each test program, so that
// the preferences (and every other per-user folder) are never the user's nor those of a
// test program running at the same time.
#define KELVO_QTEST_MAIN(TestClass)                                                    \
    int main(int argc, char** argv) {                                                  \
        const QTemporaryDir home;                                                      \
        qputenv("HOME", home.path().toLocal8Bit());                                    \
        for (const char* name :                                                        \
             {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"}) \
            qunsetenv(name);                                                           \
        QApplication application(argc, argv);                                          \
        std::setlocale(LC_NUMERIC, "C");                                               \
        QStandardPaths::setTestModeEnabled(true);                                      \
        TestClass test;                                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                                     \
        return QTest::qExec(&test, argc, argv);                                        \
    }
