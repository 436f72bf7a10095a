#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

class Task;
class Waypoint;

// The text of an IGC task's points, as recorders that keep their declaration as C records
// write and report it: "DDMMmmmNDDDMMmmmEname".
class IGCTaskRecord {
  public:
    // "DDMMmmmN" / "DDDMMmmmE": degrees, minutes and thousandths of a minute, rounded to the
    // nearest thousandth (59.9996 minutes carry into the next degree).
    static std::string latitude(double degrees);
    static std::string longitude(double degrees);

    // The task of the C lines a recorder reports (header, take-off, points, landing): the
    // points between take-off and landing. Lines that are no point are passed over.
    static std::shared_ptr<Task> taskOf(const std::vector<std::string>& lines);
    // One point of a C line "[C]DDMMmmmNDDDMMmmmEname"; nothing when the line is none.
    static std::optional<Waypoint> pointOf(std::string_view line);
};

}  // namespace kelvo
