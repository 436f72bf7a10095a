#pragma once

#include <vector>

#include "LoggerAccess/Volkslogger/VLAPI_DATA.h"
#include "base/Bytes.h"

namespace kelvo::vl {

// The waypoints, routes, pilots and declaration that travel in one database image.
struct VolksloggerDatabase {
    std::vector<VLAPI_DATA::WPT> waypoints;
    std::vector<VLAPI_DATA::ROUTE> routes;
    std::vector<VLAPI_DATA::PILOT> pilots;
    VLAPI_DATA::DECLARATION declaration;

    // The 16384-byte image. Names and declaration texts are upper-cased in place on the way.
    Bytes buildImage();

    // Replaces the lists by the image's data sets (an empty set empties its list, so no
    // entry survives that the recorder no longer holds) and reads the declaration fields.
    void readImage(ByteSpan image);
};

}  // namespace kelvo::vl
