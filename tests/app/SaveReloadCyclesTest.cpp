// The sim headers come before Qt's.
#include "sim/LX/LXRecorderEmulator.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"
#include "sim/demo/DemoContent.h"
#include "sim/demo/DemoLX.h"
#include "sim/demo/DemoVolkslogger.h"

#include <QComboBox>
#include <QLabel>

#include "base/Format.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "support/AppTestMain.h"
#include "support/ControllerFixture.h"
#include "support/MessageBoxAnswerer.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

std::string fields(const Waypoint& point) {
    return stringf("%s|%s|%s|%.7f|%.7f|%.1f|%d|%.3f|%d|%d|%d|%d|%d", point.name().c_str(),
                   point.longName().c_str(), point.country().c_str(), point.latitudeDegrees(),
                   point.longitudeDegrees(), point.elevation(), point.type(), point.frequency(),
                   point.runwayLength(), point.runwayDirection(), point.trainingCircle(),
                   point.trainingCircleSize(), point.trainingCircleDirection());
}

// Every field of the waypoints, routes and declaration, one line each.
QStringList everyField(Logger& logger) {
    QStringList lines;
    const auto add = [&lines](const std::string& line) { lines << QString::fromStdString(line); };
    for (const auto& waypoint : logger.loggerData().waypoints())
        add("waypoint " + fields(*waypoint));
    for (const auto& route : logger.loggerData().routes()) {
        add("route " + route->name());
        for (const auto& point : route->waypoints()) add("  point " + fields(*point));
    }
    const Declaration& d = *logger.loggerData().declaration();
    add(stringf("declaration %s|%s|%s|%s|%s|%s|%s|%d", d.pilot1().c_str(), d.pilot2().c_str(),
                d.pilot3().c_str(), d.pilot4().c_str(), d.gliderID().c_str(),
                d.gliderType().c_str(), d.competitionID().c_str(), d.competitionClass()));
    if (d.homePoint()) add("home " + fields(*d.homePoint()));
    const std::vector<std::shared_ptr<Turnpoint>> none;
    for (const auto& point : d.task() ? d.task()->turnpoints() : none) {
        add(stringf("task %s|%d|%d|%d|%d", fields(*point).c_str(), point->getLineWidth(),
                    point->getCylinderRadius(), point->getSectorRadius(),
                    point->getSectorDirection()));
    }
    return lines;
}

// The lines that differ, as "before -> after".
QString changes(const QStringList& before, const QStringList& after) {
    QStringList lines;
    for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i) {
        if (before.value(i) != after.value(i)) lines << before.value(i) + " -> " + after.value(i);
    }
    return lines.join('\n');
}

}  // namespace

// Ten saves of the demo database and declaration through the controller, each read back
// from an emulated recorder: what the recorder keeps of the first save stays as it is (a
// value that creeps or alternates from save to save shows by the third).
class SaveReloadCyclesTest : public QObject {
    Q_OBJECT

  private:
    void saveAndReloadTenTimes(const QString& loggerType, const std::string& port,
                                 double delayScale) {
        test::ControllerFixture fixture({{"Simulated", port}}, delayScale);
        fixture.chooseLoggerType(loggerType);
        QVERIFY(fixture.connectAndSelect(LoggerWindow::DeclarationTab));
        QCOMPARE(fixture.window.homePointField->currentText(),
                 QString::fromStdString(
                     fixture.controller.logger()->loggerData().declaration()->homePoint()->name()));
        const test::MessageBoxAnswerer yes("Yes");
        QStringList first;
        for (int cycle = 0; cycle < 10; ++cycle) {
            fixture.controller.databaseTransfer().saveToLogger();
            QVERIFY(fixture.waitForOperation());
            QVERIFY2(fixture.window.statusLine->text().contains("written"),
                     qPrintable(fixture.window.statusLine->text()));
            fixture.controller.databaseTransfer().loadDatabase();
            QVERIFY(fixture.waitForOperation());
            const QStringList now = everyField(*fixture.controller.logger());
            if (cycle == 0) first = now;
            QVERIFY2(now == first, qPrintable(changes(first, now)));
        }
        // Only the first save may have had to ask about what the recorder does not keep.
        QVERIFY2(yes.texts.size() <= 1, qPrintable(yes.texts.join("\n---\n")));
    }

  private Q_SLOTS:
    void init() { test::removePreferencesFile(); }

    void lxRecorderKeepsWhatItKeptOfTheFirstSave() {
        sim::PseudoTerminal line;
        sim::LXRecorderEmulator recorder(line, 38400);
        sim::loadDemo(recorder, sim::DemoContent::make(sim::DemoSize::Small));
        saveAndReloadTenTimes("LX/SDI/Filser", line.slavePath(), 0.1);
    }

    void volksloggerKeepsWhatItKeptOfTheFirstSave() {
        sim::PseudoTerminal line;
        sim::VolksloggerEmulator recorder(
            line, sim::demoVolksloggerMemory(sim::DemoContent::make(sim::DemoSize::Small)));
        saveAndReloadTenTimes("Volkslogger", line.slavePath(), 0.02);
    }
};

KELVO_QTEST_MAIN(SaveReloadCyclesTest)
#include "SaveReloadCyclesTest.moc"
