#include "igc/IGCTaskRecord.h"

#include <cmath>

#include "base/Format.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"

namespace kelvo {
namespace {

std::string coordinate(double degrees, int degreeDigits, char positive, char negative) {
    const auto thousandths = static_cast<long long>(std::llround(std::abs(degrees) * 60000.0));
    return stringf("%0*lld%05lld%c", degreeDigits, thousandths / 60000, thousandths % 60000,
                   degrees < 0 ? negative : positive);
}

// Digits at [at, at + count) of the line, as a number; nothing when any is no digit.
std::optional<long long> digits(std::string_view line, std::size_t at, std::size_t count) {
    long long value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= line.size() || line[i] < '0' || line[i] > '9') return std::nullopt;
        value = value * 10 + (line[i] - '0');
    }
    return value;
}

std::optional<double> angle(std::string_view line, std::size_t at, int degreeDigits, char positive,
                            char negative, double limit) {
    const auto degrees = digits(line, at, static_cast<std::size_t>(degreeDigits));
    const auto thousandths = digits(line, at + static_cast<std::size_t>(degreeDigits), 5);
    const std::size_t hemisphere = at + static_cast<std::size_t>(degreeDigits) + 5;
    if (!degrees || !thousandths || *thousandths >= 60000 || hemisphere >= line.size()) {
        return std::nullopt;
    }
    const double value =
        static_cast<double>(*degrees) + static_cast<double>(*thousandths) / 60000.0;
    if (value > limit) return std::nullopt;
    if (line[hemisphere] == positive) return value;
    if (line[hemisphere] == negative) return -value;
    return std::nullopt;
}

}  // namespace

std::string IGCTaskRecord::latitude(double degrees) {
    return coordinate(degrees, 2, 'N', 'S');
}

std::string IGCTaskRecord::longitude(double degrees) {
    return coordinate(degrees, 3, 'E', 'W');
}

std::optional<Waypoint> IGCTaskRecord::pointOf(std::string_view line) {
    if (line.starts_with('C')) line.remove_prefix(1);
    const auto lat = angle(line, 0, 2, 'N', 'S', 90);
    const auto lon = angle(line, 8, 3, 'E', 'W', 180);
    if (!lat || !lon) return std::nullopt;
    Waypoint point;
    point.setValueFromDegrees(std::string(line.substr(17)), *lat, *lon, 0);
    return point;
}

std::shared_ptr<Task> IGCTaskRecord::taskOf(const std::vector<std::string>& lines) {
    std::vector<Waypoint> points;
    for (const std::string& line : lines) {
        if (auto point = pointOf(line)) points.push_back(std::move(*point));
    }
    auto task = std::make_shared<Task>();
    for (std::size_t i = 1; i + 1 < points.size(); ++i) {
        task->addTurnpoint(std::make_shared<Turnpoint>(points[i]));
    }
    return task;
}

}  // namespace kelvo
