#include "sim/demo/DemoIgc.h"

#include <cmath>
#include <cstdlib>

#include "base/Format.h"
#include "base/UtcDate.h"
#include "geo/Waypoint.h"

namespace kelvo::sim {

namespace {

std::string igcCoordinate(double degrees, int degreeDigits, char positive, char negative) {
    const long thousandths = std::lround(std::abs(degrees) * 60000.0);  // of a minute
    return stringf("%0*ld%05ld%c", degreeDigits, thousandths / 60000, thousandths % 60000,
                   degrees < 0 ? negative : positive);
}

std::string timeOfDay(std::chrono::sys_seconds time) {
    const UtcFields fields = utcFields(time);
    return stringf("%02d%02d%02d", fields.hour, fields.minute, fields.second);
}

std::string dayMonthYear(std::chrono::sys_seconds time) {
    const UtcFields fields = utcFields(time);
    return stringf("%02d%02d%02d", fields.day, fields.month, fields.year % 100);
}

std::string altitude(int metres) {
    return metres < 0 ? stringf("-%04d", -metres) : stringf("%05d", metres);
}

void line(std::string& file, const std::string& text) {
    file += text;
    file += "\r\n";
}

void writeTask(std::string& file, const DemoFlight& flight) {
    if (flight.task.size() < 2) return;
    const auto declared = flight.firstFix() - std::chrono::minutes(20);
    const int turnpoints = static_cast<int>(flight.task.size()) - 2;
    line(file, "C" + dayMonthYear(declared) + timeOfDay(declared) + "000000" + "0001" +
                   stringf("%02d", turnpoints));
    auto point = [&](const Waypoint& waypoint) {
        line(file, "C" + igcLatitude(waypoint.latitudeDegrees()) +
                       igcLongitude(waypoint.longitudeDegrees()) + waypoint.name());
    };
    point(*flight.task.front());  // take-off
    for (const auto& waypoint : flight.task) point(*waypoint);
    point(*flight.task.back());  // landing
}

}  // namespace

std::string igcLatitude(double degrees) {
    return igcCoordinate(degrees, 2, 'N', 'S');
}
std::string igcLongitude(double degrees) {
    return igcCoordinate(degrees, 3, 'E', 'W');
}

std::string demoIgcFileName(const DemoFlight& flight, const DemoRecorder& recorder) {
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const UtcFields date = utcFields(flight.firstFix());
    return stringf("%c%c%c%c%s%c.IGC", kDigits[date.year % 10], kDigits[date.month],
                   kDigits[date.day], recorder.fileNameCharacter, recorder.serial.c_str(),
                   kDigits[flight.flightOfDay % 36]);
}

std::string demoIgcFile(const DemoFlight& flight, const DemoRecorder& recorder) {
    std::string file;
    line(file,
         "A" + recorder.manufacturer + recorder.serial + stringf("FLIGHT:%d", flight.flightOfDay));
    line(file, "HFDTE" + dayMonthYear(flight.firstFix()));
    line(file, "HFFXA035");
    line(file, "HFPLTPILOTINCHARGE:" + flight.pilot);
    line(file, "HFCM2CREW2:");
    line(file, "HFGTYGLIDERTYPE:" + flight.gliderType);
    line(file, "HFGIDGLIDERID:" + flight.gliderId);
    line(file, "HFDTM100GPSDATUM:WGS-1984");
    line(file, "HFRFWFIRMWAREVERSION:" + recorder.firmware);
    line(file, "HFRHWHARDWAREVERSION:" + recorder.hardware);
    line(file, "HFCIDCOMPETITIONID:" + flight.competitionId);
    line(file, "HFCCLCOMPETITIONCLASS:" + flight.competitionClass);
    writeTask(file, flight);
    auto event = flight.events.begin();
    for (const DemoFix& fix : flight.fixes) {
        for (; event != flight.events.end() && event->time <= fix.time; ++event) {
            line(file, "E" + timeOfDay(event->time) + event->code);
        }
        line(file, "B" + timeOfDay(fix.time) + igcLatitude(fix.latitude) +
                       igcLongitude(fix.longitude) + (fix.valid ? "A" : "V") +
                       altitude(fix.pressureAltitude) + altitude(fix.gpsAltitude));
    }
    line(file, "G" + recorder.manufacturer + "0D5E1C97A3F0442B8E61D2C5B7A90E34");
    return file;
}

}  // namespace kelvo::sim
