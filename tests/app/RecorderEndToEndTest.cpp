// The sim headers come before Qt's.
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/LXNAV/LXNAVEmulator.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"
#include "sim/demo/DemoLXNAV.h"
#include "support/LXFlights.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <memory>

#include "LoggerAccess/LoggerFactory.h"
#include "app/EditorLimits.h"
#include "app/FlightDownloads.h"
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
    {"LXNAV", "Flarm",
     [](sim::PseudoTerminal& line) {
         return std::make_shared<sim::LXNAVEmulator>(line, sim::LXNAVEmulatorConfig{});
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

    // An LXNAV recorder lists, downloads, declares and verifies as the others do.
    void listsDownloadsDeclaresAndVerifiesAnLXNAV() {
        QTemporaryDir scratch;
        qputenv("XDG_CACHE_HOME", scratch.filePath("cache").toUtf8());
        KelvoPrefs::setFlightsFolder(scratch.filePath("Flights"));
        sim::PseudoTerminal line;
        sim::LXNAVEmulatorConfig config =
            sim::demoLXNAVConfig(sim::DemoContent::make(sim::DemoSize::Small, 3));
        config.fileOpenTime = std::chrono::milliseconds(100);
        sim::LXNAVEmulator recorder(line, config);
        test::ControllerFixture fixture({{"Simulated LXNAV", line.slavePath()}}, 0.2);
        fixture.chooseLoggerType("LXNAV");
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        FlightsDataSource& flights = *fixture.controller.flightsDataSource();
        QCOMPARE(flights.rowCount(), 3);
        QVERIFY(*flights.getFlightAtRow(0)->date > *flights.getFlightAtRow(2)->date);

        FlightDownloads& downloads = fixture.controller.flightDownloads();
        fixture.selectFlightRows({2});
        downloads.downloadFlights(scratch.filePath("oldest.igc"), false, true);
        QVERIFY(fixture.waitForOperation());
        QFile oldest(scratch.filePath("oldest.igc"));
        QVERIFY(oldest.open(QIODevice::ReadOnly));
        QCOMPARE(oldest.readAll().toStdString(), config.flights.front().igc);

        downloads.downloadNewFlights();
        QVERIFY(fixture.waitForOperation());
        QVERIFY2(downloads.newFlightsSummary().startsWith("Downloaded 3 flight(s)"),
                 qPrintable(downloads.newFlightsSummary()));

        QVERIFY(fixture.selectTab(LoggerWindow::DeclarationTab));
        QCOMPARE(fixture.window.pilot1Field->text(), QString("Anna Keller"));
        QVERIFY(fixture.window.databaseNote->text().startsWith(
            "The LXNAV keeps no waypoints or routes"));
        const test::MessageBoxAnswerer yes("Yes");
        fixture.window.pilot1Field->setText("Erika Muster");
        fixture.controller.databaseTransfer().saveToLogger();
        QVERIFY(fixture.waitForOperation());
        QVERIFY2(fixture.window.statusLine->text().contains("written and verified"),
                 qPrintable(fixture.window.statusLine->text()));
        QCOMPARE(recorder.declaration().front(), std::string("HFPLTPILOT:Erika Muster"));

        recorder.setAlteredDeclaration(true);
        fixture.controller.databaseTransfer().saveToLogger();
        QVERIFY(fixture.waitForOperation());
        QVERIFY2(fixture.window.statusLine->text().contains(
                     "Pilot 1 meant \"Erika Muster\", recorder holds \"Frika Muster\""),
                 qPrintable(fixture.window.statusLine->text()));
    }

    // A Flarm keeps a declaration but no waypoints: the declaration tab takes what it keeps,
    // the database tab says it keeps none, and Save to Logger writes the declaration.
    void flarmDeclarationTabTakesWhatTheUnitKeepsAndSavesIt() {
        sim::PseudoTerminal line;
        sim::FlarmEmulatorConfig config;
        config.values = {{"HWVER", "LC1"},        {"SWVER", "7.0"},      {"OBSTDB", "1,2,Alps"},
                         {"SER", "4711"},         {"ACFT", "1"},         {"PILOT", "Anna Keller"},
                         {"COPIL", ""},           {"GLIDERID", "D-5408"}, {"GLIDERTYPE", "LS8"},
                         {"COMPID", "K8"},        {"COMPCLASS", "Standard"},
                         {"LIC", "AUD:1;IGC:1"},  {"IGCSER", "A4X"}};
        config.taskName = "Task";
        config.task = {"0000000N,00000000E,TAKEOFF", "4806450N,00845798E,KLIPPE",
                       "4836000N,00812000E,HORNIS", "4806450N,00845798E,KLIPPE",
                       "0000000N,00000000E,LANDING"};
        sim::FlarmEmulator unit(line, config);
        test::ControllerFixture fixture({{"Simulated Flarm", line.slavePath()}}, 0.2);
        fixture.chooseLoggerType("Flarm");
        QVERIFY(fixture.connectScripted());
        QVERIFY(fixture.selectTab(LoggerWindow::DeclarationTab));

        LoggerWindow& w = fixture.window;
        QCOMPARE(w.pilot1Field->text(), QString("Anna Keller"));
        QCOMPARE(fixture.controller.taskDataSource()->rowCount(), 3);
        for (QLineEdit* kept : {w.pilot1Field, w.pilot2Field, w.gliderIDField, w.registration})
            QVERIFY(kept->isEnabled());
        for (QLineEdit* unkept :
             {w.pilot3Field, w.pilot4Field, w.homePointField->lineEdit(), w.homeElevation})
            QVERIFY(!unkept->isEnabled());
        QCOMPARE(w.pilot3Field->toolTip(), QString("The Flarm keeps no Pilot 3."));
        QVERIFY(!w.databaseNote->isHidden());
        QVERIFY(w.databaseNote->text().startsWith("The Flarm keeps no waypoints or routes"));
        QVERIFY(!w.statusLine->text().contains("failed"));

        w.pilot1Field->setText("Erika Muster");
        const test::MessageBoxAnswerer yes("Yes");
        fixture.controller.databaseTransfer().saveToLogger();
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(unit.value("PILOT"), std::string("Erika Muster"));
        QCOMPARE(unit.restarts(), 1);
        QCOMPARE(w.statusLine->text(),
                 QString("The declaration was written and verified. The logger was restarted so "
                         "that the declaration takes effect."));
        QCOMPARE(unit.taskPoints(), config.task);
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
