#include "LoggerAccess/LX/LXTask.h"

#include <algorithm>
#include <cmath>

#include "base/Format.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "base/Windows1252.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"

namespace kelvo {
namespace {

constexpr std::size_t kInputTime = 1;
constexpr std::size_t kInputDay = 5, kInputMonth = 6, kInputYear = 7;
constexpr std::size_t kFlightDate = 8;
constexpr std::size_t kTurnpointCount = 13;
constexpr std::size_t kMarkers = 14;
constexpr std::size_t kLongitudes = 26;
constexpr std::size_t kLatitudes = 74;
constexpr std::size_t kNames = 122;
constexpr std::size_t kNameSize = LXTask::kNameLength + 1;
constexpr double kUnitsPerDegree = 60000.0;

constexpr std::uint8_t kHomeMarker = 3;
constexpr std::uint8_t kTaskMarker = 1;
constexpr std::uint8_t kLandingMarker = 2;

// The nearest thousandth of a minute: a count read back and divided by 60000 is stored again
// as the same count.
std::uint32_t unitsOf(double degrees) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(
        std::clamp(std::round(degrees * kUnitsPerDegree), -2147483648.0, 2147483647.0)));
}

}  // namespace

LXTask::LXTask(ByteSpan data, std::size_t offset) {
    if (offset < data.size()) setData(data.subspan(offset));
}

void LXTask::setData(ByteSpan data) {
    m_task.fill(0);
    std::copy_n(data.begin(), std::min(data.size(), kSize), m_task.begin());
}

std::optional<std::chrono::sys_seconds> LXTask::inputDate() const {
    const std::uint32_t time = getU32BE(m_task, kInputTime);
    return utcTime(2000 + m_task[kInputYear], m_task[kInputMonth], m_task[kInputDay],
                   static_cast<int>(time / 3600), static_cast<int>(time % 3600 / 60),
                   static_cast<int>(time % 60));
}

void LXTask::setInputDate(std::chrono::sys_seconds date) {
    const UtcFields fields = utcFields(date);
    putU32BE(m_task, kInputTime,
             static_cast<std::uint32_t>(fields.hour * 3600 + fields.minute * 60 + fields.second));
    m_task[kInputDay] = static_cast<std::uint8_t>(fields.day);
    m_task[kInputMonth] = static_cast<std::uint8_t>(fields.month);
    m_task[kInputYear] = static_cast<std::uint8_t>(fields.year % 100);
    std::fill_n(m_task.begin() + kFlightDate, 3, 0);
}

void LXTask::setInputDateToNow() {
    setInputDate(std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
}

// Home, the task's points and landing: turnpoint count + 4 slots, never more than twelve.
std::size_t LXTask::slotCount() const {
    return static_cast<std::size_t>(std::clamp(numberOfTurnpoints() + 4, 0, int{kSlots}));
}

std::shared_ptr<Turnpoint> LXTask::turnpoint(std::size_t slot) const {
    if (slot >= slotCount()) return nullptr;
    const double longitude =
        static_cast<std::int32_t>(getU32BE(m_task, kLongitudes + 4 * slot)) / kUnitsPerDegree;
    const double latitude =
        static_cast<std::int32_t>(getU32BE(m_task, kLatitudes + 4 * slot)) / kUnitsPerDegree;
    logf("longitude = %f.", longitude);
    logf("latitude = %f.", latitude);
    auto point = std::make_shared<Turnpoint>();
    point->setValueFromDegrees(
        windows1252ToUtf8(getText(m_task, kNames + kNameSize * slot, kNameSize)), latitude,
        longitude, 0);
    return point;
}

void LXTask::setTurnpoint(const Waypoint& point, std::size_t slot) {
    if (slot >= kSlots) return;
    putU32BE(m_task, kLongitudes + 4 * slot, unitsOf(point.longitudeDegrees()));
    putU32BE(m_task, kLatitudes + 4 * slot, unitsOf(point.latitudeDegrees()));
    const std::size_t name = kNames + kNameSize * slot;
    putText(m_task, name, kNameSize, utf8ToWindows1252(point.name()), 0);
    m_task[name + kNameSize - 1] = 0;
    setMarker(slot, kTaskMarker);
}

void LXTask::setMarker(std::size_t slot, std::uint8_t marker) {
    if (slot < kSlots) m_task[kMarkers + slot] = marker;
}

void LXTask::setHomePoint(const Waypoint& home) {
    setTurnpoint(Turnpoint(home), 0);
    setMarker(0, kHomeMarker);
}

std::shared_ptr<Task> LXTask::task() const {
    auto result = std::make_shared<Task>();
    const int last = numberOfTurnpoints() + 2;
    for (int slot = 1; slot <= last && slot < int{kSlots}; ++slot) {
        result->addTurnpoint(turnpoint(static_cast<std::size_t>(slot)), -1);
    }
    return result;
}

void LXTask::setTask(const Task& task, const std::shared_ptr<Waypoint>& home) {
    const std::size_t total = task.numOfTurnpoints();
    std::size_t count = total;
    if (count > kMaxTaskPoints) {
        logf("Task has %d points; the recorder holds %d, the rest are left out.",
             static_cast<int>(count), static_cast<int>(kMaxTaskPoints));
        count = kMaxTaskPoints;
    }
    m_task[kTurnpointCount] = static_cast<std::uint8_t>(static_cast<int>(count) - 2);
    std::fill(m_task.begin() + kMarkers, m_task.end(), 0);
    const std::shared_ptr<Waypoint> homePoint = home ? home : task.turnpoint(0);
    if (homePoint) setHomePoint(*homePoint);
    for (std::size_t i = 0; i < count; ++i) {
        // A cut task keeps its finish: the points left out are those before it.
        setTurnpoint(*task.turnpoint(i + 1 == count ? total - 1 : i), i + 1);
    }
    if (homePoint) {
        setTurnpoint(Turnpoint(*homePoint), count + 1);
        setMarker(count + 1, kLandingMarker);
    }
}

std::string LXTask::toString() const {
    const auto date = inputDate();
    return stringf("flag: %d; input date: %s", flag(), date ? isoUtc(*date).c_str() : "none");
}

}  // namespace kelvo
