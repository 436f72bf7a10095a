#include "geo/Latitude.h"

namespace kelvo {

Latitude Latitude::fromDegrees(double degrees) {
    Latitude value;
    value.setValueFromDouble(degrees);
    return value;
}

Latitude Latitude::fromString(std::string_view text) {
    Latitude value;
    value.setValueFromString(text);
    return value;
}

}  // namespace kelvo
