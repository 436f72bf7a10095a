// The sim headers come before Qt's.
#include "sim/LX/LXNativeFlightEncoder.h"
#include "sim/LX/LXRecorderEmulator.h"
#include "sim/PseudoTerminal.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <memory>

#include "LoggerAccess/LX/LXTrackFile.h"
#include "app/FlightsDataSource.h"
#include "app/SaveIGCPanelController.h"
#include "support/AppTestMain.h"
#include "support/ControllerFixture.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

sim::LXNativeFlightEncoder encodedFlight(std::uint8_t number, int fixes) {
    sim::LXNativeFlightEncoder encoder;
    encoder.flightNumber(number)
        .date(7, 10, 2009)
        .recorderIdentification("LXNAVNANO")
        .flightInformation({"Hans", "LS8", "D-1234", "XY", 0, 100, 25, "uBlox"})
        .origin(32700, 2850000, 495000);
    for (int i = 0; i < fixes; ++i) encoder.fix(32700 + i, 2850000 + i, 495000 - i, 500, 520);
    encoder.security(0x0D, Bytes(64, 0xAB)).end();
    return encoder;
}

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
            sim::LXEmulatedFlight flight;
            m_flights.push_back(encodedFlight(number, 20 * number));
            flight.native = m_flights.back().bytes();
            flight.securityBlock = m_flights.back().lengthTable();
            flight.flightNumber = number;
            flight.date = number == 1 ? "07.10.09" : "08.10.09";
            m_recorder->addFlight(flight);
        }
        m_fixture = std::make_unique<test::ControllerFixture>(
            PortDictionary{{"Simulated LX", m_line->slavePath()}});
        m_fixture->chooseLoggerType("LX/SDI/Filser");
        QVERIFY(m_fixture->connectScripted());
        QVERIFY(m_fixture->selectTab(LoggerWindow::FlightsTab));
        QCOMPARE(m_fixture->controller.flightsDataSource()->rowCount(), 2);
    }

    void cleanup() {
        m_fixture.reset();
        m_recorder.reset();
        m_line.reset();
        m_flights.clear();
    }

    void oneFlight_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("secure");
        QTest::newRow("IGC, secure") << int(SaveIGCPanelController::IGCRow) << true;
        QTest::newRow("IGC, not secure") << int(SaveIGCPanelController::IGCRow) << false;
        QTest::newRow("native, secure") << int(SaveIGCPanelController::OwnFormatRow) << true;
        QTest::newRow("native, not secure") << int(SaveIGCPanelController::OwnFormatRow) << false;
    }

    void oneFlight() {
        QFETCH(int, format);
        QFETCH(bool, secure);
        // The table shows the newest flight first: the second one.
        m_fixture->selectFlightRows({0});
        m_fixture->controller.flightDownloads().downloadFile();
        QFileDialog* panel = m_fixture->controller.filePanel();
        QVERIFY(panel);
        QCOMPARE(panel->acceptMode(), QFileDialog::AcceptSave);
        auto* accessory = panel->findChild<SaveIGCPanelController*>();
        QVERIFY(accessory);
        QVERIFY(!accessory->fileFormatBox->isHidden());
        QVERIFY(accessory->isSecure());
        accessory->fileFormatGroup->button(format)->click();
        if (!secure) accessory->secureCheckBox->click();

        const QTemporaryDir folder;
        const QString target = folder.filePath("flight." + accessory->requiredFileType());
        panel->selectFile(target);
        static_cast<QDialog*>(panel)->accept();  // as the OK button does
        QVERIFY(m_fixture->waitForOperation());

        const sim::LXNativeFlightEncoder& flight = m_flights[1];
        const Bytes native = secure ? flight.secureBytes() : flight.bytes();
        if (format == SaveIGCPanelController::IGCRow)
            QCOMPARE(contents(target), igcOf(native));
        else
            QCOMPARE(contents(target), bytes(native));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    }

    void severalFlightsIntoAFolder_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("extension");
        QTest::newRow("IGC") << int(SaveIGCPanelController::IGCRow) << "IGC";
        QTest::newRow("native") << int(SaveIGCPanelController::OwnFormatRow) << "LXN";
    }

    void severalFlightsIntoAFolder() {
        QFETCH(int, format);
        QFETCH(QString, extension);
        m_fixture->selectFlightRows({0, 1});
        m_fixture->controller.flightDownloads().downloadFile();
        QFileDialog* panel = m_fixture->controller.filePanel();
        QVERIFY(panel);
        QCOMPARE(panel->fileMode(), QFileDialog::Directory);
        auto* accessory = panel->findChild<SaveIGCPanelController*>();
        QVERIFY(accessory);
        accessory->fileFormatGroup->button(format)->click();

        const QTemporaryDir folder;
        panel->setDirectory(folder.path());
        panel->selectFile(folder.path());
        static_cast<QDialog*>(panel)->accept();  // as the OK button does
        QVERIFY(m_fixture->waitForOperation());

        QStringList expected;
        for (int row : {0, 1}) {
            const FlightEntry* entry =
                m_fixture->controller.flightsDataSource()->getFlightAtRow(row);
            expected << QFileInfo(QString::fromStdString(*entry->filename)).completeBaseName() +
                            "." + extension;
        }
        expected.sort();
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), expected);
        const QString first = folder.filePath(expected.first());
        const Bytes native = m_flights[0].secureBytes();
        QCOMPARE(contents(first), extension == "IGC" ? igcOf(native) : bytes(native));
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
