#include "FuzzTargets.h"
#include "LoggerAccess/LX/LXFlight.h"

namespace kelvo::fuzz {

int LXFlightRecord(const std::uint8_t* data, std::size_t size) {
    const LXFlight flight(ByteSpan(data, size), 0);
    flight.pilot();
    flight.glider();
    flight.registration();
    flight.competitionRegistration();
    flight.observer();
    flight.GPS();
    flight.competitionClass();
    flight.toString();
    // What was read must write back into the record without harm.
    LXFlight copy;
    copy.setPilot(flight.pilot());
    copy.setGPS(flight.GPS());
    copy.setCompetitionClass(flight.competitionClass());
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(LXFlightRecord)
