// The sim headers come before Qt's.
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/LX/LXRecorderEmulator.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"

#include <QComboBox>
#include <QLabel>
#include <functional>
#include <memory>

#include "LoggerAccess/LoggerFactory.h"
#include "app/KelvoPrefs.h"
#include "support/AppTestMain.h"
#include "support/ControllerFixture.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

// One recorder family and how to play it on a pseudo-terminal.
struct Family {
    const char* name;
    std::function<std::shared_ptr<void>(sim::PseudoTerminal&)> play;
};

const Family kFamilies[] = {
    {"LX/SDI/Filser",
     [](sim::PseudoTerminal& line) {
         return std::make_shared<sim::LXRecorderEmulator>(line, 38400);
     }},
    {"Volkslogger",
     [](sim::PseudoTerminal& line) {
         return std::make_shared<sim::VolksloggerEmulator>(line, sim::VolksloggerMemory{});
     }},
    {"Flarm",
     [](sim::PseudoTerminal& line) {
         sim::FlarmEmulatorConfig device;
         device.values = {{"HWVER", "LC1"}, {"SWVER", "6.42"}, {"SER", "4711"}};
         return std::make_shared<sim::FlarmEmulator>(line, device);
     }},
};

const QString kPort = QStringLiteral("Simulated");

QString typeChosenWithThePort(test::ControllerFixture& fixture) {
    fixture.controller.connection().serialPortChanged();
    return fixture.window.loggerTypesMenu->currentText();
}

}  // namespace

// "Automatic" against each emulated family: the family that answers is connected as if
// chosen, and the port remembers it.
class AutomaticConnectTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() { test::removePreferencesFile(); }

    void findsTheFamilyAndTheChosenPortRemembersIt_data() {
        QTest::addColumn<int>("family");
        for (int i = 0; i < int(std::size(kFamilies)); ++i) QTest::newRow(kFamilies[i].name) << i;
    }

    void findsTheFamilyAndTheChosenPortRemembersIt() {
        QFETCH(int, family);
        const QString name = kFamilies[family].name;
        sim::PseudoTerminal line;
        const auto recorder = kFamilies[family].play(line);
        test::ControllerFixture fixture({{kPort.toStdString(), line.slavePath()}}, 0.2);
        QCOMPARE(fixture.window.loggerTypesMenu->itemText(0), QString("Automatic"));
        QCOMPARE(typeChosenWithThePort(fixture), QString("Automatic"));  // never used before

        QVERIFY(fixture.connectScripted());
        QVERIFY(fixture.controller.isConnected());
        QCOMPARE(fixture.window.statusLine->text(),
                 QString("Connected to the %1 on %2.").arg(name, kPort));
        QCOMPARE(fixture.controller.connection().nativeExtension(),
                 LoggerFactory::shared().loggerClassWithName(name.toStdString())->nativeExtension);
        QCOMPARE(KelvoPrefs::loggerTypeForPort(kPort), name);

        fixture.controller.connection().connect();  // disconnects
        fixture.chooseLoggerType("Automatic");
        QCOMPARE(typeChosenWithThePort(fixture), name);
    }

    void aWrongTypeNamesTheFamilyThatAnswered() {
        sim::PseudoTerminal line;
        const auto recorder = kFamilies[0].play(line);
        test::ControllerFixture fixture({{kPort.toStdString(), line.slavePath()}}, 0.2);
        fixture.chooseLoggerType("Volkslogger");
        QVERIFY(fixture.connectScripted());
        QVERIFY(!fixture.controller.isConnected());
        QVERIFY(fixture.window.statusLine->text().contains(
            "no Volkslogger recorder answered on this port; a LX/SDI/Filser answered"));
    }
};

KELVO_QTEST_MAIN(AutomaticConnectTest)
#include "AutomaticConnectTest.moc"
