#pragma once

#include <cstddef>
#include <cstdint>

#include "base/Bytes.h"

namespace kelvo::vl {

class DBB;

// The in-memory records of the Volkslogger database and declaration, each converting to and
// from its byte record in the database image. Coordinates are in degrees, negative south
// and west; texts are NUL-terminated in fixed arrays.
struct VLAPI_DATA {
    static constexpr std::size_t kWaypointRecordSize = 13;
    static constexpr std::size_t kDeclarationWaypointRecordSize = 16;
    static constexpr std::size_t kRouteRecordSize = 144;
    static constexpr std::size_t kPilotRecordSize = 16;
    static constexpr int kRouteWaypoints = 10;
    static constexpr int kDeclarationTurnpoints = 12;

    struct WPT {
        char name[7] = {};
        double lat = 0;
        double lon = 0;
        std::uint8_t typ = 0;

        // 13-byte record. put upper-cases the name in place, as the recorder stores it.
        void get(ByteSpan record);
        void put(MutableByteSpan record);
    };

    struct DCLWPT : WPT {
        std::int16_t linewidth = 0;        // [m]
        std::int16_t cylinderradius = 0;   // [m]
        std::int16_t sectorradius = 0;     // [m]
        std::int16_t sectordirection = 0;  // [degrees]
        int zonetype = 0;                  // 0 cylinder and sector, 1 line

        // 16-byte record: a waypoint record, the direction, the zone size and the zone type.
        void get(ByteSpan record);
        void put(MutableByteSpan record);
    };

    struct ROUTE {
        char name[15] = {};
        WPT wpt[kRouteWaypoints] = {};

        void get(ByteSpan record);
        void put(MutableByteSpan record);
    };

    struct PILOT {
        char name[17] = {};

        void get(ByteSpan record);
        void put(MutableByteSpan record);
    };

    struct DECLARATION {
        char pilot[65] = {};
        char gliderid[8] = {};
        char glidertype[13] = {};
        char competitionclass[13] = {};
        char competitionid[4] = {};
        WPT homepoint;
        DCLWPT startpoint;
        DCLWPT finishpoint;
        int nturnpoints = 0;
        DCLWPT turnpoints[kDeclarationTurnpoints];

        // From and into the form area; a field missing from the form leaves its member as it
        // was (the pilot excepted, which starts empty).
        void get(const DBB& dbb);
        void put(DBB& dbb);
    };
};

}  // namespace kelvo::vl
