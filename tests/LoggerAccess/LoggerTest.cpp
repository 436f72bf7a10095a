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

    // Every call that reached the base says so, the failed ones among them.
    EXPECT_EQ(log.lines().size(), 11u);
    EXPECT_TRUE(log.contains("Calling abstract method 'readIGCFile' in Logger class."));
    EXPECT_FALSE(logger.connected());
    ASSERT_NE(logger.loggerData().declaration(), nullptr);
}

TEST(Logger, SerialNumbersAreThreeBase36Digits) {
    // A device's number is untrusted: out of range it still gives three valid characters.
    const std::pair<int, const char*> cases[] = {{0, "000"},     {36, "010"},    {1234, "0YA"},
                                                 {1296, "100"},  {46655, "ZZZ"}, {46656 + 37, "011"},
                                                 {-1, "ZZZ"}};
    for (const auto& [number, text] : cases) EXPECT_EQ(Logger::generateSerialNumberFrom(number), text);
}

// Reports a transfer as it goes.
class ReportingLogger : public Logger {
  public:
    Outcome readFile(const std::filesystem::path&, int, bool, bool, const FlightEntry*) override {
        reportProgress(512, 1024, "Reading flight");
        reportProgress(2048, 0, "Reading flight");
        return {};
    }
};

TEST(Logger, ReportsProgressToTheHandlerWhenOneIsSet) {
    ReportingLogger driver;
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
