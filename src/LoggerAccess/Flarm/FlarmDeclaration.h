#pragma once

#include <string>
#include <vector>

#include "LoggerAccess/DeclarationCheck.h"

namespace kelvo {

class Declaration;

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
};

}  // namespace kelvo
