#include "geo/Longitude.h"

namespace kelvo {

Longitude Longitude::fromDegrees(double degrees) {
    Longitude value;
    value.setValueFromDouble(degrees);
    return value;
}

Longitude Longitude::fromString(std::string_view text) {
    Longitude value;
    value.setValueFromString(text);
    return value;
}

}  // namespace kelvo
