#include "LoggerAccess/LoggerFactory.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "LoggerAccess/Garmin.h"
#include "TempFolder.h"
#include "base/Log.h"

namespace kelvo {
namespace {

LoggerDescriptor named(const std::string& name, int connectionType) {
    return {name, 'Z', "ZZZ", connectionType, [] { return std::make_unique<Logger>(); }};
}

TEST(LoggerFactory, BuildsANewDriverByName) {
    LoggerFactory factory;
    factory.registerLogger<Garmin>();
    EXPECT_EQ(factory.registeredLoggers(), std::vector<std::string>{"Garmin"});

    const LoggerDescriptor* garmin = factory.loggerClassWithName("Garmin");
    ASSERT_NE(garmin, nullptr);
    EXPECT_EQ(garmin->character, 'X');
    EXPECT_EQ(garmin->nativeExtension, "GAR");
    EXPECT_EQ(garmin->connectionType, 1);

    const std::unique_ptr<Logger> first = factory.loggerInstanceWithName("Garmin");
    const std::unique_ptr<Logger> second = factory.loggerInstanceWithName("Garmin");
    ASSERT_NE(dynamic_cast<Garmin*>(first.get()), nullptr);
    EXPECT_NE(first, second);

    EXPECT_EQ(factory.loggerClassWithName("Volksloger"), nullptr);
    EXPECT_EQ(factory.loggerInstanceWithName("Volksloger"), nullptr);
}

TEST(LoggerFactory, LaterDriverOfTheSameNameReplacesTheEarlier) {
    LoggerFactory factory;
    factory.registerLogger(named("Same", 1));
    factory.registerLogger(named("Other", 1));
    factory.registerLogger(named("Same", 2));
    EXPECT_EQ(factory.registeredLoggers().size(), 2u);
    EXPECT_EQ(factory.loggerClassWithName("Same")->connectionType, 2);

    factory.clearRegisteredLoggers();
    EXPECT_TRUE(factory.registeredLoggers().empty());
    EXPECT_EQ(&LoggerFactory::shared(), &LoggerFactory::shared());
}

TEST(LoggerFactory, FindsTheFamilyThatConvertsAnExtension) {
    LoggerFactory factory;
    factory.registerBuiltinLoggers();
    for (const char* extension : {"LXN", ".lxn", "FIL", ".Sdi"}) {
        const LoggerDescriptor* family = factory.loggerClassConvertingExtension(extension);
        ASSERT_NE(family, nullptr) << extension;
        EXPECT_EQ(family->name, "LX/SDI/Filser");
    }
    for (const char* extension : {"IGC", ".igc", "", ".", "LX", "LXNX"}) {
        EXPECT_EQ(factory.loggerClassConvertingExtension(extension), nullptr) << extension;
    }
    EXPECT_EQ(factory.igcTextOfFlight(Bytes{'A', 'X'}, "IGC"), "AX");
}

TEST(Garmin, FindsGpsbabelOnTheSearchPath) {
    TempFolder folder;
    const auto plain = folder.write("plain/gpsbabel", "");  // not executable
    const auto tool = folder.write("tools/gpsbabel", "#!/bin/sh\n");
    ::chmod(tool.c_str(), 0755);
    const std::string path =
        "::" + plain.parent_path().string() + ":" + tool.parent_path().string();
    EXPECT_EQ(Garmin::findExecutable("gpsbabel", path), tool);
    EXPECT_EQ(Garmin::findExecutable("gpsbabel", ""), std::nullopt);

    CapturingLogSink log;
    Garmin found(path);
    found.readInfo();
    EXPECT_EQ(found.loggerData().loggerInfoForKey("gpsBabelPath"), tool.string());
    EXPECT_TRUE(log.contains("Loggerdata now contains 1 items."));

    Garmin missing(plain.parent_path().string());
    missing.readInfo();
    EXPECT_EQ(missing.gpsBabelPath(), std::nullopt);
    EXPECT_TRUE(missing.loggerData().loggerInfo().empty());
    EXPECT_TRUE(log.contains("Loggerdata now contains 0 items."));
}

TEST(Garmin, ConnectsWithoutAPortAndLeavesTheRestAbstract) {
    Garmin garmin("");
    CapturingLogSink log;
    EXPECT_TRUE(garmin.connect("unused"));
    EXPECT_TRUE(garmin.stillConnected());
    garmin.readDirectory(false);
    EXPECT_TRUE(log.contains("Calling abstract method 'readDirectory' in Logger class."));
    garmin.disconnect();
    EXPECT_FALSE(garmin.stillConnected());
    EXPECT_EQ(garmin.capabilities().maxBaud, 0u);
}

}  // namespace
}  // namespace kelvo
