#include <string_view>

#include "FuzzTargets.h"
#include "geo/Latitude.h"
#include "geo/Longitude.h"
#include "geo/TypedCoordinate.h"

namespace kelvo::fuzz {
namespace {

// Parsing must accept any text, and whatever it stored must print in every notation.
void printEveryNotation(const Coordinate& coordinate) {
    for (const bool signPrefix : {false, true}) {
        coordinate.descriptionWithDecimalSeconds(signPrefix);
        coordinate.descriptionWithDecimalMinutes(signPrefix);
        coordinate.descriptionWithDecimalDegrees(signPrefix);
    }
    coordinate.degrees();
    coordinate.minutes();
    coordinate.seconds();
}

}  // namespace

int CoordinateText(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    printEveryNotation(Latitude::fromString(text));
    printEveryNotation(Longitude::fromString(text));
    Coordinate::stringToRadians(text);
    // Typed text is read or refused, never read beyond its end.
    for (const bool latitude : {true, false}) {
        if (const auto typed = readTypedDegrees(text, latitude); typed.value)
            printEveryNotation(Latitude::fromDegrees(*typed.value));
    }
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(CoordinateText)
