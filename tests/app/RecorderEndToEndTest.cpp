// The sim headers come before Qt's.
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"
#include "support/LXFlights.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <memory>

#include "LoggerAccess/LoggerFactory.h"
#include "app/EditorLimits.h"
#include "app/FlightsDataSource.h"
#include "app/KelvoPrefs.h"
#include "app/LoggerInfoDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WaypointsDataSource.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "support/AppTestMain.h"
#include "support/ControllerFixture.h"
#include "support/MessageBoxAnswerer.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

// A recorder family, how to play it on a pseudo-terminal, and a type that is not it.
struct Family {
    const char* name;
    const char* wrongType;
    std::function<std::shared_ptr<void>(sim::PseudoTerminal&)> play;
};

const Family kFamilies[] = {
    {"LX/SDI/Filser", "Volkslogger",
     [](sim::PseudoTerminal& line) {
         return std::make_shared<sim::LXRecorderEmulator>(line, 38400);
     }},
    {"Volkslogger", "Flarm",
     [](sim::PseudoTerminal& line) {
         return std::make_shared<sim::VolksloggerEmulator>(line, sim::VolksloggerMemory{});
     }},
    {"Flarm", "LX/SDI/Filser",
     [](sim::PseudoTerminal& line) {
         return std::make_shared<sim::FlarmEmulator>(line, sim::FlarmEmulatorConfig{});
     }},
};

// The type the menu shows once the user has chosen the one port.
QString typeChosenWithThePort(test::ControllerFixture& fixture) {
    fixture.controller.connection().serialPortChanged();
    return fixture.window.loggerTypesMenu->currentText();
}

}  // namespace

// The controller against the drivers and emulated recorders on pseudo-terminals.
class RecorderEndToEndTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() { test::removePreferencesFile(); }

    void readsInformationFlightsAndDatabaseAndWritesTheDeclaration() {
        sim::PseudoTerminal line;
        sim::LXRecorderEmulator recorder(line, 38400);
        recorder.setIdentification("LX Nano\r\nVersion 2.10\r\nSN1234,HW5.1\r\nPilot:Hans");
        for (std::uint8_t number : {1, 2})
            recorder.addFlight(
                test::emulatedLXFlight(test::encodedLXFlight(number, 30 * number), number));
        auto home = Waypoint::fromDegrees("KLIPPENE", 48.1075, 8.7633, 973);
        auto turn = Waypoint::fromDegrees("HORNISGR", 48.6, 8.2, 1160);
        auto route = std::make_shared<Route>();
        route->setValue("Out and return", {home, turn, home});
        recorder.setDatabase({home, turn}, {route});
        Declaration declaration;
        declaration.setPilot1("Anna Keller");
        declaration.setGliderID("D-5408");
        declaration.setCompetitionClass(2);
        recorder.setDeclaration(declaration);

        // The recorder's time-outs keep a fifth of their length: enough under a loaded CI.
        test::ControllerFixture fixture({{"Simulated LX", line.slavePath()}}, 0.2);
        fixture.chooseLoggerType("LX/SDI/Filser");
        QVERIFY(fixture.connectScripted());
        QVERIFY(fixture.controller.isConnected());
        QCOMPARE(fixture.window.connectButton->text(), QString("Disconnect"));
        LoggerInfoDataSource& info = *fixture.controller.loggerInfoDataSource();
        QStringList labels;
        for (int row = 0; row < info.rowCount(); ++row)
            labels << info.index(row, 0).data().toString() + "=" +
                          info.index(row, 1).data().toString();
        QVERIFY(labels.contains("Version=2.10"));
        QVERIFY(labels.contains("Serial number=1234 (0YA)"));

        QVERIFY(fixture.selectTab(LoggerWindow::FlightsTab));
        QCOMPARE(fixture.controller.flightsDataSource()->rowCount(), 2);
        QVERIFY(fixture.controller.flightsDataSource()->getFlightAtRow(0)->filename);

        QVERIFY(fixture.selectTab(LoggerWindow::DeclarationTab));
        QCOMPARE(fixture.window.pilot1Field->text(), QString("Anna Keller"));
        QCOMPARE(fixture.controller.waypointsDataSource()->rowCount(), 2);

        // The editors take what the LX keeps and say what it does not keep.
        LoggerWindow& w = fixture.window;
        QCOMPARE(w.pilot1Field->maxLength(), 18);
        for (QLineEdit* unkept : {w.pilot2Field, w.homeElevation}) QVERIFY(!unkept->isEnabled());
        QCOMPARE(w.pilot2Field->toolTip(), QString("The LX/SDI/Filser keeps no Pilot 2."));
        WaypointsDataSource& waypoints = *fixture.controller.waypointsDataSource();
        QCOMPARE(waypoints.entryProblem(waypoints.index(0, 0), "KLIPPENECK"),
                 QString("The LX/SDI/Filser keeps at most 8 characters of a name."));
        fixture.controller.waypointRouteTaskEditor().useRoute(
            QString::fromStdString(fixture.controller.logger()->loggerData().routes()[0]->name()));
        TaskDataSource& task = *fixture.controller.taskDataSource();
        QVERIFY(!(task.flags(task.index(0, 4)) & Qt::ItemIsEditable));
        QCOMPARE(task.index(0, 4).data(Qt::ToolTipRole).toString(),
                 QString("The LX/SDI/Filser keeps no line width."));

        // Save to Logger lists everything the LX would not keep, and writes nothing unless
        // the pilot agrees.
        fixture.controller.logger()->loggerData().waypoints()[1]->setName("HORNISGRINDE");
        fixture.controller.logger()->loggerData().waypoints()[1]->setFrequency(123.5);
        const Bytes before = recorder.declaration();
        {
            const test::MessageBoxAnswerer no("No");
            fixture.controller.databaseTransfer().saveToLogger();
            const QString question = no.texts.value(0);
            for (const char* change :
                 {"1 waypoint name is longer than the 8", "line width", "cylinder radius",
                  "sector radius", "1 waypoint loses its frequency: the recorder keeps none",
                  "\"HORNISGRINDE\" will be held as \"HORNISGR\""})
                QVERIFY2(question.contains(change), qPrintable(question));
        }
        QCOMPARE(recorder.declaration(), before);

        const test::MessageBoxAnswerer yes("Yes");
        w.pilot1Field->setText("Erika Muster");
        fixture.controller.databaseTransfer().saveToLogger();
        QVERIFY(fixture.waitForOperation());
        QVERIFY(fixture.window.statusLine->text().contains("declaration written and verified"));
        const Bytes written = recorder.declaration();
        QVERIFY(std::string(written.begin(), written.end()).find("Erika Muster") !=
                std::string::npos);

        recorder.alterStoredPilot(true);
        fixture.controller.databaseTransfer().saveToLogger();
        QVERIFY(fixture.waitForOperation());
        QVERIFY(fixture.window.statusLine->text().contains(
            "Pilot 1 meant \"Erika Muster\", recorder holds \"Drika Muster\""));
        QCOMPARE(fixture.window.pilot1Field->text(), QString("Drika Muster"));

        fixture.controller.connection().connect();
        QVERIFY(!fixture.controller.isConnected());
    }

    void waypointTableTakesOnlyWhatTheRecorderKeeps_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QStringList>("unkept");
        QTest::newRow("no recorder") << QString() << QStringList{};
        QTest::newRow("LX") << "LX/SDI/Filser" << QStringList{"frequency"};
        QTest::newRow("Volkslogger") << "Volkslogger"
                                     << QStringList{"elevation", "runwaydirection", "runwaylength",
                                                    "frequency"};
    }

    void waypointTableTakesOnlyWhatTheRecorderKeeps() {
        QFETCH(QString, family);
        QFETCH(QStringList, unkept);
        const auto logger =
            family.isEmpty() ? nullptr
                             : LoggerFactory::shared().loggerInstanceWithName(family.toStdString());
        WaypointList list = {Waypoint::fromDegrees("KLIPPE", 48.1, 8.7, 973)};
        WaypointsDataSource table;
        table.setLimits(EditorLimits::of(logger.get(), family));
        table.setData(&list);
        const QStringList& columns = WaypointsDataSource::columnIdentifiers();
        for (int column = 0; column < columns.size(); ++column) {
            const QModelIndex cell = table.index(0, column);
            const bool kept = !unkept.contains(columns[column]);
            QCOMPARE(bool(table.flags(cell) & Qt::ItemIsEditable), kept);
            QCOMPARE(cell.data(Qt::ToolTipRole).toString().isEmpty(), kept);
            if (!kept) QVERIFY(!table.setData(cell, "12"));
        }
        if (family == "Volkslogger")
            QCOMPARE(table.index(0, int(columns.indexOf("runwaylength"))).data(Qt::ToolTipRole),
                     QVariant("The Volkslogger keeps no runway length."));
    }

    void automaticFindsTheFamilyAndTheWrongTypeNamesIt_data() {
        QTest::addColumn<int>("family");
        for (int i = 0; i < int(std::size(kFamilies)); ++i) QTest::newRow(kFamilies[i].name) << i;
    }

    void automaticFindsTheFamilyAndTheWrongTypeNamesIt() {
        QFETCH(int, family);
        const Family& f = kFamilies[family];
        sim::PseudoTerminal line;
        const auto recorder = f.play(line);
        test::ControllerFixture fixture({{"Simulated", line.slavePath()}}, 0.2);
        fixture.chooseLoggerType(f.wrongType);
        QVERIFY(fixture.connectScripted());
        QVERIFY(fixture.window.statusLine->text().contains(
            QString("no %1 recorder answered on this port; a %2 answered")
                .arg(f.wrongType, f.name)));
        // Nothing answered as a type there yet: Automatic, the first type, comes with the port.
        QCOMPARE(typeChosenWithThePort(fixture), QString("Automatic"));

        QVERIFY(fixture.connectScripted());
        QCOMPARE(fixture.window.statusLine->text(),
                 QString("Connected to the %1 on Simulated.").arg(f.name));
        QCOMPARE(fixture.controller.connection().nativeExtension(),
                 LoggerFactory::shared().loggerClassWithName(f.name)->nativeExtension);
        fixture.controller.connection().connect();  // disconnects
        fixture.chooseLoggerType(f.wrongType);
        QCOMPARE(typeChosenWithThePort(fixture), QString(f.name));
        // Kept under the port's identity, here its path.
        const PortEntry& port = fixture.controller.connection().loggerLocations().at("Simulated");
        QCOMPARE(KelvoPrefs::loggerTypeForPort(QString::fromStdString(port.identity)),
                 QString(f.name));
    }
};

KELVO_QTEST_MAIN(RecorderEndToEndTest)
#include "RecorderEndToEndTest.moc"
