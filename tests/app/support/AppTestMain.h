#pragma once

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <clocale>

// QTEST_MAIN with the application's own start-up rules: decimal points in printf whatever
// the user's locale, and the preferences of a throw-away test folder, never the user's.
#define KELVO_QTEST_MAIN(TestClass)               \
    int main(int argc, char** argv) {             \
        QApplication application(argc, argv);     \
        std::setlocale(LC_NUMERIC, "C");          \
        QStandardPaths::setTestModeEnabled(true); \
        TestClass test;                           \
        QTEST_SET_MAIN_SOURCE_PATH                \
        return QTest::qExec(&test, argc, argv);   \
    }
