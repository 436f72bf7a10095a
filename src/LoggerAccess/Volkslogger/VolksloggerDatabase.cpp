#include "LoggerAccess/Volkslogger/VolksloggerDatabase.h"

#include "LoggerAccess/Volkslogger/DBB.h"

namespace kelvo::vl {
namespace {

template <typename Record>
void addSet(DBB& dbb, int set, std::vector<Record>& records, std::size_t recordSize) {
    Bytes bytes(recordSize);
    for (Record& record : records) {
        record.put(bytes);
        dbb.add_ds(set, bytes);
    }
    dbb.close_db(set);
}

template <typename Record>
std::vector<Record> readSet(const DBB& dbb, int set, std::size_t recordSize) {
    std::vector<Record> result;
    for (const ByteSpan bytes : dbb.records(set, recordSize)) result.emplace_back().get(bytes);
    return result;
}

}  // namespace

Bytes VolksloggerDatabase::buildImage() {
    DBB dbb;
    addSet(dbb, DBB::kWaypointSet, waypoints, VLAPI_DATA::kWaypointRecordSize);
    addSet(dbb, DBB::kPilotSet, pilots, VLAPI_DATA::kPilotRecordSize);
    addSet(dbb, DBB::kRouteSet, routes, VLAPI_DATA::kRouteRecordSize);
    declaration.put(dbb);
    return dbb.image();
}

void VolksloggerDatabase::readImage(ByteSpan image) {
    const DBB dbb = DBB::fromImage(image);
    waypoints = readSet<VLAPI_DATA::WPT>(dbb, DBB::kWaypointSet, VLAPI_DATA::kWaypointRecordSize);
    routes = readSet<VLAPI_DATA::ROUTE>(dbb, DBB::kRouteSet, VLAPI_DATA::kRouteRecordSize);
    pilots = readSet<VLAPI_DATA::PILOT>(dbb, DBB::kPilotSet, VLAPI_DATA::kPilotRecordSize);
    declaration.get(dbb);
}

}  // namespace kelvo::vl
