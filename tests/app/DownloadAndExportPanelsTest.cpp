#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QSignalSpy>

#include "LoggerAccess/Logger.h"
#include "app/ExportPanelController.h"
#include "app/SaveIGCPanelController.h"
#include "app/WarningClearLoggerController.h"
#include "files/FileFactory.h"
#include "files/ImportFile.h"
#include "support/AppTestMain.h"

using namespace kelvo;

namespace {

class CapabilityLogger : public Logger {
  public:
    CapabilityLogger(bool igc, bool native, bool secure) {
        mutableCapabilities().supportsIGCFile = igc;
        mutableCapabilities().hasNativeFile = native;
        mutableCapabilities().supportsSecure = secure;
    }
};

// A format that holds waypoints and routes only.
class RoutesFormat : public ImportFile {
  public:
    bool canExportWaypoints() const override { return true; }
    bool canExportRoutes() const override { return true; }
};

void registerFormats(const QStringList& extensions) {
    FileFactory& factory = FileFactory::shared();
    factory.clearRegisteredFiles();
    for (const QString& extension : extensions)
        factory.registerFile({extension.toStdString(), std::nullopt,
                              [] { return std::make_unique<RoutesFormat>(); }});
}

}  // namespace

class DownloadAndExportPanelsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // Own-format clicks and the file they give are the download flow's tests.
    void formatChoiceShowsOnlyWhenTheRecorderHasBothAndStartsWithIGC_data() {
        QTest::addColumn<bool>("igc");
        QTest::addColumn<bool>("native");
        QTest::newRow("both") << true << true;
        QTest::newRow("IGC only") << true << false;
        QTest::newRow("native only") << false << true;
    }

    void formatChoiceShowsOnlyWhenTheRecorderHasBothAndStartsWithIGC() {
        QFETCH(bool, igc);
        QFETCH(bool, native);
        const CapabilityLogger logger(igc, native, false);
        QFileDialog panel;
        SaveIGCPanelController accessory;
        accessory.setLogger(&logger, "LXN");
        accessory.setSavePanel(&panel);
        accessory.initPanel();
        QCOMPARE(accessory.fileFormatBox->isHidden(), !(igc && native));
        QCOMPARE(panel.defaultSuffix(), QString(igc ? "IGC" : "LXN"));
        QCOMPARE(accessory.downloadAsIGC(), igc);
    }

    void securityBoxFollowsTheRecorderAndWarnsWhenOff() {
        SaveIGCPanelController accessory;
        const CapabilityLogger secure(true, true, true);
        accessory.setLogger(&secure, "LXN");
        accessory.initPanel();
        QVERIFY(!accessory.secureCheckBox->isHidden());
        QVERIFY(accessory.isSecure());
        QVERIFY(accessory.redWarningText->isHidden());
        accessory.secureCheckBox->click();
        QVERIFY(!accessory.isSecure());
        QVERIFY(!accessory.redWarningText->isHidden());

        const CapabilityLogger plain(true, false, false);
        accessory.setLogger(&plain, "");
        accessory.initPanel();
        QVERIFY(accessory.secureCheckBox->isHidden());
        QVERIFY(!accessory.isSecure());
        QVERIFY(!accessory.redWarningText->isHidden());

        accessory.setLogger(nullptr, "");
        QVERIFY(!accessory.downloadAsIGC());
    }

    void exportMenuSelectsTheSecondFormatKeepsTheUsersChoiceAndShowsWhatItHolds() {
        registerFormats({"DBT", "DA4", "CUP"});
        QFileDialog panel;
        ExportPanelController accessory;
        accessory.setSavePanel(&panel);
        accessory.setFileTypes({"DBT", "DA4", "CUP"});
        QCOMPARE(accessory.fileTypeMenu->count(), 3);
        QCOMPARE(accessory.selectedFileType(), QString("DA4"));
        QCOMPARE(panel.defaultSuffix(), QString("DA4"));

        accessory.fileTypeMenu->setCurrentIndex(2);
        accessory.fileTypeChanged();
        QCOMPARE(panel.defaultSuffix(), QString("CUP"));
        accessory.setFileTypes({"DBT", "DA4", "CUP"});
        QCOMPARE(accessory.selectedFileType(), QString("CUP"));

        accessory.setFileTypes({"CUP"});
        QCOMPARE(accessory.selectedFileType(), QString("CUP"));

        // CUP holds waypoints and routes; a format nobody registered holds nothing.
        accessory.setFileTypes({"CUP", "XYZ"});
        for (int chosen : {0, 1}) {
            accessory.fileTypeMenu->setCurrentIndex(chosen);
            accessory.fileTypeChanged();
            QCOMPARE(accessory.waypointsCheckbox->isEnabled(), chosen == 0);
            QCOMPARE(accessory.routesCheckbox->isEnabled(), chosen == 0);
            QVERIFY(!accessory.declarationCheckbox->isEnabled());
        }
    }

    void eraseWarningAnswersOneOnlyForOk() {
        WarningClearLoggerController warning;
        QSignalSpy finished(&warning, &QDialog::finished);
        warning.okAction();
        QCOMPARE(warning.getReturnCode(), 1);
        warning.cancelAction();
        QCOMPARE(warning.getReturnCode(), 0);
        warning.okAction();
        warning.reject();  // Escape or the window's close button
        QCOMPARE(warning.getReturnCode(), 0);
        QCOMPARE(finished.count(), 4);
        QCOMPARE(finished.last().first().toInt(), 0);
    }
};

KELVO_QTEST_MAIN(DownloadAndExportPanelsTest)
#include "DownloadAndExportPanelsTest.moc"
