#include "LoggerAccess/Logger.h"

#include <gtest/gtest.h>

#include "base/Log.h"
#include "geo/Declaration.h"

namespace kelvo {
namespace {

TEST(Logger, DriverThatOverridesNothingLogsEveryCallAndAnswersNo) {
    Logger logger;
    CapturingLogSink log;
    EXPECT_FALSE(logger.connect("/dev/ttyUSB0"));
    EXPECT_FALSE(logger.stillConnected());
    logger.readInfo();
    logger.readDirectory(true);
    EXPECT_FALSE(logger.clearDirectory());
    FlightEntry entry;
    EXPECT_FALSE(logger.readFile("/tmp/flight.igc", 0, true, true, &entry));
    logger.readWaypoints(false);
    logger.readRoutes(false);
    logger.readPilots(false);
    logger.readDeclaration(false);
    EXPECT_EQ(logger.writeDatabaseAndDeclaration().reason(),
              "this recorder does not take waypoints or a declaration");
    logger.disconnect();
    logger.setKeyspanAccelleration(true);
    EXPECT_EQ(logger.generateFileName(), "");
    EXPECT_FALSE(logger.canSaveLoggerDataToLogger());

    const std::vector<std::string> expected{
        "Calling abstract method 'connect' in Logger class.",
        "Calling abstract method 'stillConnected' in Logger class.",
        "Calling abstract method 'getInfo' in Logger class.",
        "Calling abstract method 'readDirectory' in Logger class.",
        "Calling abstract method 'clearDirectory' in Logger class.",
        "Calling abstract method 'readIGCFile' in Logger class.",
        "Calling abstract method 'readWaypoints' in Logger class.",
        "Calling abstract method 'readRoutes' in Logger class.",
        "Calling abstract method 'readPilots' in Logger class.",
        "Calling abstract method 'readDeclaration' in Logger class.",
        "Calling abstract method 'disconnect' in Logger class.",
    };
    EXPECT_EQ(log.lines(), expected);

    EXPECT_FALSE(logger.connected());
    EXPECT_TRUE(logger.mustLogActivity());
    EXPECT_TRUE(logger.loggerInfo().empty());
    EXPECT_TRUE(logger.flightDirectory().empty());
    EXPECT_TRUE(logger.flights().empty());
    EXPECT_TRUE(logger.waypoints().empty());
    EXPECT_TRUE(logger.routes().empty());
    EXPECT_TRUE(logger.pilots().empty());
    ASSERT_NE(logger.declaration(), nullptr);
}

TEST(Logger, AbstractIdentityIsNoValidLogger) {
    CapturingLogSink log;
    EXPECT_EQ(Logger::loggerName(), "Not a valid Logger.");
    EXPECT_EQ(Logger::loggerChar(), ' ');
    EXPECT_EQ(Logger::nativeTrackFileExtension(), "   ");
    EXPECT_EQ(Logger::connectionType(), 0);
    const std::vector<std::string> expected{
        "Calling abstract class method 'loggerName' in Logger class.",
        "Calling abstract method 'loggerChar' in Logger class.",
        "Calling abstract method 'nativeTrackFileExtension' in Logger class.",
    };
    EXPECT_EQ(log.lines(), expected);
}

TEST(Logger, SerialNumbersAreThreeBase36Digits) {
    EXPECT_EQ(Logger::generateSerialNumberFrom(0), "000");
    EXPECT_EQ(Logger::generateSerialNumberFrom(1), "001");
    EXPECT_EQ(Logger::generateSerialNumberFrom(36), "010");
    EXPECT_EQ(Logger::generateSerialNumberFrom(1234), "0YA");
    EXPECT_EQ(Logger::generateSerialNumberFrom(1295), "0ZZ");
    EXPECT_EQ(Logger::generateSerialNumberFrom(1296), "100");
    EXPECT_EQ(Logger::generateSerialNumberFrom(46655), "ZZZ");
    // A device's number is untrusted: out of range it still gives three valid characters.
    EXPECT_EQ(Logger::generateSerialNumberFrom(46656 + 37), "011");
    EXPECT_EQ(Logger::generateSerialNumberFrom(-1), "ZZZ");
}

// Stores routes but no waypoints, and reports a transfer as it goes.
class RoutesOnlyLogger : public Logger {
  public:
    RoutesOnlyLogger() { fillCapabilities(); }
    void fillCapabilities() override {
        Logger::fillCapabilities();
        mutableCapabilities().maxRoutes = 25;
        mutableCapabilities().supportsSecure = true;
    }
    Outcome readFile(const std::filesystem::path&, int, bool, bool, const FlightEntry*) override {
        reportProgress(512, 1024, "Reading flight");
        reportProgress(2048, 0, "Reading flight");
        return {};
    }
};

TEST(Logger, CapabilitiesComeFromTheDriver) {
    const Logger base;
    EXPECT_FALSE(base.storesWaypoints());
    EXPECT_FALSE(base.storesRoutes());
    EXPECT_FALSE(base.storesDeclaration());
    EXPECT_FALSE(base.supportsSecure());

    const RoutesOnlyLogger driver;
    EXPECT_FALSE(driver.storesWaypoints());
    EXPECT_TRUE(driver.storesRoutes());
    EXPECT_EQ(driver.maxNumberOfRoutes(), 25u);
    EXPECT_TRUE(driver.supportsSecure());
    EXPECT_FALSE(driver.hasNativeFile());
}

TEST(Logger, ReportsProgressToTheHandlerWhenOneIsSet) {
    RoutesOnlyLogger driver;
    EXPECT_TRUE(driver.readFile("x", 0, false, false, nullptr));  // no handler: nothing

    std::vector<Progress> reports;
    driver.setProgressHandler([&](const Progress& progress) { reports.push_back(progress); });
    driver.readFile("x", 0, false, false, nullptr);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].fraction, 0.5);
    EXPECT_EQ(reports[0].bytes, 512u);
    EXPECT_EQ(reports[0].text, "Reading flight");
    EXPECT_FALSE(reports[1].fraction);  // total unknown
    EXPECT_EQ(reports[1].bytes, 2048u);
}

}  // namespace
}  // namespace kelvo
