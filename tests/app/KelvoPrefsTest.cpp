#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimeZone>

#include "app/KelvoPrefs.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/PreferencesController.h"
#include "app/PreferencesStore.h"
#include "base/UtcDate.h"
#include "geo/Longitude.h"
#include "support/AppTestMain.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

class KelvoPrefsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() { test::removePreferencesFile(); }

    void mistypedValuesFallBackToDefaults_data() {
        QTest::addColumn<QJsonObject>("stored");
        QTest::newRow("notation as string") << QJsonObject{{"CoordinateNotation", "0"}};
        QTest::newRow("notation as boolean") << QJsonObject{{"CoordinateNotation", true}};
        QTest::newRow("notation with fraction") << QJsonObject{{"CoordinateNotation", 0.5}};
        QTest::newRow("notation beyond 32 bits")
            << QJsonObject{{"CoordinateNotation", 4294967296.0}};
        QTest::newRow("notation below 32 bits")
            << QJsonObject{{"CoordinateNotation", -2147483649.0}};
        QTest::newRow("flag as number") << QJsonObject{{"UseKeyspanAcceleration", 1}};
        QTest::newRow("name as number") << QJsonObject{{"LastUsedSerialPortName", 7}};
        QTest::newRow("zone as array") << QJsonObject{{"TimeZoneName", QJsonArray{"UTC"}}};
    }

    void mistypedValuesFallBackToDefaults() {
        QFETCH(QJsonObject, stored);
        test::writePreferencesFile(stored);
        QCOMPARE(KelvoPrefs::coordinateNotation(), 2);
        QCOMPARE(KelvoPrefs::keyspanAcceleration(), false);
        QCOMPARE(KelvoPrefs::lastUsedSerialPortName(), QString(""));
        QCOMPARE(KelvoPrefs::timeZoneName(), KelvoPrefs::defaultTimeZoneName());
    }

    void unreadableFileGivesDefaults() {
        QFile file(PreferencesStore::filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{ not json");
        file.close();
        QCOMPARE(KelvoPrefs::defaultSectorRadius(), 5000);
        // A setter replaces the broken file with a readable one.
        QVERIFY(KelvoPrefs::setDefaultSectorRadius(3000));
        QCOMPARE(KelvoPrefs::defaultSectorRadius(), 3000);
    }

    void extremeIntegersRoundTrip() {
        QVERIFY(KelvoPrefs::setDefaultCylinderRadius(2147483647));
        QVERIFY(KelvoPrefs::setDefaultSectorRadius(-2147483647 - 1));
        QCOMPARE(KelvoPrefs::defaultCylinderRadius(), 2147483647);
        QCOMPARE(KelvoPrefs::defaultSectorRadius(), -2147483647 - 1);
    }

    void nullStringRemovesTheKey() {
        QVERIFY(KelvoPrefs::setLastUsedSerialPortName("ttyUSB0"));
        QCOMPARE(KelvoPrefs::lastUsedSerialPortName(), QString("ttyUSB0"));
        QVERIFY(KelvoPrefs::setLastUsedSerialPortName(QString()));
        QVERIFY(PreferencesStore::value("LastUsedSerialPortName").isUndefined());
        // An empty (not null) string is a value of its own.
        QVERIFY(KelvoPrefs::setTimeZoneName(""));
        QCOMPARE(PreferencesStore::value("TimeZoneName"), QJsonValue(""));
    }

    void distanceFollowsTheUnit_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("text");
        QTest::newRow("kilometres") << 0 << " 100.0";
        QTest::newRow("statute miles") << 1 << "  62.2";
        QTest::newRow("nautical miles") << 2 << "  54.0";
        QTest::newRow("unknown unit") << 7 << " 100.0";
    }

    void distanceFollowsTheUnit() {
        QFETCH(int, unit);
        QFETCH(QString, text);
        KelvoPrefs::setDistanceUnit(unit);
        QCOMPARE(KelvoPrefsBasedFormatter::getDistanceDescription(100.0), text);
    }

    // The texts of each notation are the coordinates' own tests; here the choice is passed on.
    void coordinatesFollowTheNotation_data() {
        QTest::addColumn<int>("notation");
        QTest::addColumn<int>("negative");
        QTest::addColumn<QString>("text");
        QTest::newRow("seconds, letter") << 2 << 0 << "004° 30' 00.00\"W";
        QTest::newRow("minutes, sign") << 1 << 1 << "-004° 30.000'";
        QTest::newRow("degrees, other sign value") << 0 << 5 << "004.500000°W";
        QTest::newRow("no such notation") << 3 << 0 << " ";
    }

    void coordinatesFollowTheNotation() {
        QFETCH(int, notation);
        QFETCH(int, negative);
        QFETCH(QString, text);
        KelvoPrefs::setCoordinateNotation(notation);
        KelvoPrefs::setCoordinateNegativeNotation(negative);
        QCOMPARE(KelvoPrefsBasedFormatter::getCoordinateDescription(Longitude::fromDegrees(-4.5)),
                 text);
    }

    void datesFollowTheDisplayZone() {
        const auto time = *utcTime(2009, 7, 14, 9, 5, 0);
        KelvoPrefs::setTimeZoneName("Europe/Berlin");
        KelvoPrefsBasedFormatter::applyTimeZonePreference();
        QCOMPARE(KelvoPrefsBasedFormatter::getDateDescription(time),
                 QString("2009-07-14 11:05:00"));
        KelvoPrefs::setTimeZoneName("Nowhere/Atlantis");
        KelvoPrefsBasedFormatter::applyTimeZonePreference();
        QCOMPARE(KelvoPrefsBasedFormatter::displayTimeZone(), QTimeZone::systemTimeZone());
        KelvoPrefsBasedFormatter::setDisplayTimeZone(QTimeZone::utc());
        QCOMPARE(KelvoPrefsBasedFormatter::getTimeDescription(time), QString("09:05:00"));
    }

    void sheetShowsTheStoredValuesAndOkStoresTheControls() {
        KelvoPrefs::setCoordinateNotation(0);
        KelvoPrefs::setCoordinateNegativeNotation(1);
        KelvoPrefs::setDefaultCylinderRadius(400);
        KelvoPrefs::setTimeZoneName("Europe/Berlin");
        PreferencesController sheet;
        sheet.windowDidBecomeKey();
        QCOMPARE(sheet.coordinateNotation->checkedId(), 0);
        QCOMPARE(sheet.coordinateNegativeNotation->checkedId(), 1);
        QCOMPARE(sheet.defaultCylinderRadius->text(), QString("400"));
        QCOMPARE(sheet.defaultStartlineWidth->text(), QString("10"));
        QCOMPARE(sheet.displayTimeZone->checkedId(), int(PreferencesController::ChosenZoneRow));
        QCOMPARE(sheet.timeZonesMenu->currentText(), QString("Europe/Berlin"));

        // OK stores every control and ends the sheet.
        sheet.coordinateNotation->button(1)->setChecked(true);
        sheet.distanceUnit->button(2)->setChecked(true);
        sheet.defaultStartlineWidth->setText("25");
        sheet.defaultSectorRadius->setText("3000m");
        sheet.timeZonesMenu->setCurrentText("America/Denver");
        QSignalSpy finished(&sheet, &QDialog::finished);
        sheet.okButtonClick();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Accepted));
        QCOMPARE(KelvoPrefs::coordinateNotation(), 1);
        QCOMPARE(KelvoPrefs::coordinateNegativeNotation(), 1);
        QCOMPARE(KelvoPrefs::distanceUnit(), 2);
        QCOMPARE(KelvoPrefs::defaultStartlineWidth(), 25);
        QCOMPARE(KelvoPrefs::defaultSectorRadius(), 3000);
        QCOMPARE(KelvoPrefs::defaultCylinderRadius(), 400);
        QCOMPARE(KelvoPrefs::timeZoneName(), QString("America/Denver"));

        // A stored notation that no row offers selects no row.
        KelvoPrefs::setCoordinateNotation(3);
        sheet.windowDidBecomeKey();
        QCOMPARE(sheet.coordinateNotation->checkedId(), -1);
    }

    void zoneRowFollowsTheStoredName() {
        PreferencesController sheet;
        KelvoPrefs::setTimeZoneName(PreferencesController::gmtZoneName());
        sheet.doTimeZone();
        QCOMPARE(sheet.displayTimeZone->checkedId(), int(PreferencesController::GmtRow));

        // The system's zone shows the GMT row when the system runs on GMT.
        const QString system = QString::fromUtf8(QTimeZone::systemTimeZoneId());
        KelvoPrefs::setTimeZoneName(system);
        sheet.doTimeZone();
        QCOMPARE(sheet.displayTimeZone->checkedId(),
                 int(system == PreferencesController::gmtZoneName()
                         ? PreferencesController::GmtRow
                         : PreferencesController::SystemZoneRow));
    }

    void zoneMenuIsSortedWithoutDatabaseFiles() {
        const QStringList names = PreferencesController::knownTimeZoneNames();
        QVERIFY(names.contains("Europe/Berlin"));
        for (const char* notZone : {"+VERSION", "posixrules", "zone.tab"})
            QVERIFY(!names.contains(notZone));
        for (qsizetype i = 1; i < names.size(); ++i)
            QVERIFY(names[i - 1].compare(names[i], Qt::CaseInsensitive) <= 0);
    }

    void okWithoutAKnownZoneStoresNoZone() {
        KelvoPrefs::setTimeZoneName("Europe/Berlin");
        PreferencesController sheet;
        sheet.windowDidBecomeKey();
        sheet.timeZonesMenu->clear();
        sheet.okButtonClick();
        QVERIFY(PreferencesStore::value("TimeZoneName").isUndefined());
        QCOMPARE(KelvoPrefs::timeZoneName(), KelvoPrefs::defaultTimeZoneName());
    }

    void defaultsAndCancelStoreNothing() {
        KelvoPrefs::setDefaultStartlineWidth(77);
        KelvoPrefs::setCoordinateNotation(0);
        PreferencesController sheet;
        sheet.windowDidBecomeKey();
        sheet.defaultsButtonClick();
        QCOMPARE(sheet.defaultStartlineWidth->text(), QString("10"));
        QCOMPARE(sheet.coordinateNotation->checkedId(), 2);
        QCOMPARE(sheet.displayTimeZone->checkedId(), int(PreferencesController::GmtRow));
        QSignalSpy finished(&sheet, &QDialog::finished);
        sheet.cancelButtonClick();
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
        QCOMPARE(KelvoPrefs::defaultStartlineWidth(), 77);
        QCOMPARE(KelvoPrefs::coordinateNotation(), 0);
    }
};

KELVO_QTEST_MAIN(KelvoPrefsTest)
#include "KelvoPrefsTest.moc"
