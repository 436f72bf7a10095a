// The sim headers come before Qt's.
#include "sim/PseudoTerminal.h"
#include "support/LXFlights.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "LoggerAccess/LX/LXTrackFile.h"
#include "LoggerAccess/SimulatorPortFolder.h"
#include "app/FlightsDataSource.h"
#include "app/HotPlugDownload.h"
#include "app/KelvoPrefs.h"
#include "app/PortWatcher.h"
#include "app/SaveIGCPanelController.h"
#include "support/AppTestMain.h"
#include "support/ControllerFixture.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray bytes(const Bytes& data) {
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

QByteArray igcOf(const Bytes& native) {
    LXTrackFile track(native);
    track.translateToIGC();
    return QByteArray::fromStdString(track.igcData());
}

}  // namespace

// From the download action through the panels to the files on disk, against the LX driver
// and an emulated recorder holding two flights.
class DownloadFlowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() {
        test::removePreferencesFile();
        m_line = std::make_unique<sim::PseudoTerminal>();
        m_recorder = std::make_unique<sim::LXRecorderEmulator>(*m_line, 38400);
        for (std::uint8_t number : {1, 2}) {
            m_flights.push_back(test::encodedLXFlight(number, 20 * number));
            sim::LXEmulatedFlight flight = test::emulatedLXFlight(m_flights.back(), number);
            flight.date = number == 1 ? "07.10.09" : "08.10.09";
            m_recorder->addFlight(flight);
        }
        m_fixture = std::make_unique<test::ControllerFixture>(
            PortDictionary{{"Simulated LX", m_line->slavePath()}});
        m_fixture->chooseLoggerType("LX/SDI/Filser");
        QVERIFY(m_fixture->connectAndSelect(LoggerWindow::FlightsTab));
        QCOMPARE(m_fixture->controller.flightsDataSource()->rowCount(), 2);
    }

    void cleanup() {
        m_fixture.reset();
        m_recorder.reset();
        m_line.reset();
        m_flights.clear();
    }

    void downloadThroughThePanel_data() {
        QTest::addColumn<int>("flights");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("secure");
        const int igc = SaveIGCPanelController::IGCRow;
        const int native = SaveIGCPanelController::OwnFormatRow;
        QTest::newRow("one, IGC, secure") << 1 << igc << "IGC" << true;
        QTest::newRow("one, native, not secure") << 1 << native << "LXN" << false;
        QTest::newRow("two into a folder, IGC") << 2 << igc << "IGC" << true;
        QTest::newRow("two into a folder, native") << 2 << native << "LXN" << true;
    }

    void downloadThroughThePanel() {
        QFETCH(int, flights);
        QFETCH(int, format);
        QFETCH(QString, extension);
        QFETCH(bool, secure);
        m_fixture->selectFlightRows(flights == 1 ? std::vector{0} : std::vector{0, 1});
        m_fixture->controller.flightDownloads().downloadFile();
        QFileDialog* panel = m_fixture->controller.filePanel();
        QVERIFY(panel);
        QCOMPARE(panel->fileMode() == QFileDialog::Directory, flights > 1);
        auto* accessory = panel->findChild<SaveIGCPanelController*>();
        QVERIFY(accessory);
        QVERIFY(!accessory->fileFormatBox->isHidden());
        QVERIFY(accessory->isSecure());
        accessory->fileFormatGroup->button(format)->click();
        if (!secure) accessory->secureCheckBox->click();

        const QTemporaryDir folder;
        const QString single = folder.filePath("flight." + extension);
        panel->setDirectory(folder.path());
        panel->selectFile(flights == 1 ? single : folder.path());
        static_cast<QDialog*>(panel)->accept();  // as the OK button does
        QVERIFY(m_fixture->waitForOperation());

        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), flights);
        // The table shows the newest flight, the second one, first.
        for (int row = 0; row < flights; ++row) {
            const FlightEntry* entry =
                m_fixture->controller.flightsDataSource()->getFlightAtRow(row);
            const QString base =
                QFileInfo(QString::fromStdString(*entry->filename)).completeBaseName();
            const QString file = flights == 1 ? single : folder.filePath(base + "." + extension);
            const sim::LXNativeFlightEncoder& flight = m_flights[std::size_t(1 - row)];
            const Bytes native = secure ? flight.secureBytes() : flight.bytes();
            QCOMPARE(contents(file), extension == "IGC" ? igcOf(native) : bytes(native));
        }
    }

    // The recorder's port appears after start, as a simulator publishes it: nothing happens
    // while the preference is off; with it on, the recorder is connected with the type that
    // answered there before and its flights land in the flights folder.
    void newFlightsDownloadWhenARecorderIsPluggedIn() {
        LoggerController& controller = m_fixture->controller;
        controller.connection().connect();  // disconnects
        QTemporaryDir base;
        QVERIFY(QDir().mkpath(base.filePath("sys/class/tty")));
        const SimulatorPortFolder simulators(base.filePath("ports").toStdString());
        std::string reason;
        QVERIFY2(simulators.prepare(reason), reason.c_str());
        const PortSystem system{base.filePath("sys").toStdString(),
                                base.filePath("dev").toStdString(),
                                simulators.path(),
                                {},
                                PortUser::current()};
        controller.connection().setPortSource([system](int type) -> std::optional<PortDictionary> {
            if (type != ConnectionController::kSerialPorts) return std::nullopt;
            return SerialPortDictionary::serialPortDictionary(system);
        });
        controller.portWatcher()->setFolders({QString::fromStdString(simulators.path())});
        controller.windowDidBecomeMain();
        const QString link = QString::fromStdString(simulators.path() / "Simulated LX");
        KelvoPrefs::setLoggerTypeForPort(link, "LX/SDI/Filser");
        KelvoPrefs::setFlightsFolder(base.filePath("Flights"));
        QSignalSpy portsChanged(controller.portWatcher(), &PortWatcher::portsMayHaveChanged);
        const auto plugIn = [&] {
            return simulators.publish("Simulated LX", m_line->slavePath(), reason) ==
                   "Simulated LX";
        };

        QVERIFY2(plugIn(), reason.c_str());
        QVERIFY(portsChanged.wait(10000));
        QVERIFY(!controller.runner().isOperationRunning());
        QVERIFY(!controller.isConnected());
        simulators.release("Simulated LX");
        QVERIFY(portsChanged.wait(10000));

        KelvoPrefs::setDownloadNewFlightsOnConnect(true);
        QSignalSpy ended(&controller.hotPlugDownload(), &HotPlugDownload::didEnd);
        QVERIFY2(plugIn(), reason.c_str());
        QVERIFY(ended.wait(60000));
        QVERIFY(controller.isConnected());
        QVERIFY2(controller.flightDownloads().newFlightsSummary().startsWith("Downloaded 2 flight"),
                 qPrintable(controller.flightDownloads().newFlightsSummary()));
        QCOMPARE(QDir(base.filePath("Flights")).entryList({"*.IGC"}, QDir::Files).size(), 2);
    }

    void cancelledPanelDownloadsNothing() {
        m_fixture->selectFlightRows({1});
        m_fixture->controller.flightDownloads().downloadFile();
        const QPointer<QFileDialog> panel = m_fixture->controller.filePanel();
        QVERIFY(panel);
        panel->reject();
        QVERIFY(!m_fixture->controller.runner().isOperationRunning());
        QTRY_VERIFY(!panel);  // the closed panel goes

        m_fixture->selectFlightRows({});
        m_fixture->controller.flightDownloads().downloadFile();
        QCOMPARE(m_fixture->controller.filePanel(), nullptr);
    }

  private:
    std::unique_ptr<sim::PseudoTerminal> m_line;
    std::unique_ptr<sim::LXRecorderEmulator> m_recorder;
    std::vector<sim::LXNativeFlightEncoder> m_flights;
    std::unique_ptr<test::ControllerFixture> m_fixture;
};

KELVO_QTEST_MAIN(DownloadFlowTest)
#include "DownloadFlowTest.moc"
