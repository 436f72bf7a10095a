#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LoggerAccess/DeclarationCheck.h"

namespace kelvo {

class Declaration;
class Task;
class Waypoint;

// A FLARM's declaration as "$PFLAC" items: pilot, co-pilot, glider id, glider type,
// competition id and class, then the task ("NEWTASK" and one "ADDWP" for the take-off
// placeholder, each point and the landing placeholder). A task holds at most ten points
// besides take-off and landing, and 7 + 9 x (its ADDWP items) + the length of its name and
// of all point names must stay within 192 bytes.
class FlarmDeclaration {
  public:
    struct Item {
        std::string name;   // "PILOT", "NEWTASK", "ADDWP", ...
        std::string value;  // as sent after the name and a comma

        bool operator==(const Item&) const = default;
    };

    static constexpr std::size_t kTaskBytes = 192;
    static constexpr std::size_t kMaxTaskPoints = 10;
    static constexpr const char* kTaskName = "Task";

    static DeclarationLimits limits();
    // The items in the order the unit takes them, of a declaration already fitted to the
    // limits (DeclarationFit). A declaration without task points clears the unit's task.
    static std::vector<Item> items(const Declaration& declaration);

    // "DDMMmmmN" / "DDDMMmmmE": degrees, minutes and thousandths of a minute, rounded to the
    // nearest thousandth (59.9996 minutes carry into the next degree).
    static std::string latitude(double degrees);
    static std::string longitude(double degrees);

    // The task of the C lines a unit reports (header, take-off, points, landing): the points
    // between take-off and landing. Lines that are no point are passed over.
    static std::shared_ptr<Task> taskOf(const std::vector<std::string>& lines);
    // One point of a C line "[C]DDMMmmmNDDDMMmmmEname"; nothing when the line is none.
    static std::optional<Waypoint> pointOf(std::string_view line);
};

}  // namespace kelvo
