#pragma once

#include <bitset>
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "LoggerAccess/FlightEntry.h"
#include "base/Bytes.h"

namespace kelvo {

class Declaration;
class Route;
class Waypoint;

using LoggerInfo = std::map<std::string, std::string>;  // display label to value
using FlightDirectory = std::vector<FlightEntry>;
using FlightStore = std::map<int, Bytes>;  // downloaded flights by the entry's key
using WaypointList = std::vector<std::shared_ptr<Waypoint>>;
using RouteList = std::vector<std::shared_ptr<Route>>;
using PilotList = std::vector<std::string>;

// The parts of a recorder's content that a write puts back.
enum class LoggerPart { Waypoints, Routes, Declaration };

// Everything a driver has read from its device and everything it writes back. The views
// edit the collections in place through the references the getters hand out; a setter
// replaces a whole collection. One thread at a time uses it.
class LoggerData {
  public:
    LoggerData();  // empty collections and an empty declaration
    ~LoggerData();
    LoggerData(const LoggerData&) = delete;
    LoggerData& operator=(const LoggerData&) = delete;

    static constexpr int numberOfChildren() { return 6; }

    // Empties every collection and clears the declaration, which stays present.
    void clear();

    LoggerInfo& loggerInfo() { return m_loggerInfo; }
    FlightDirectory& flightDirectory() { return m_flightDirectory; }
    FlightStore& flights() { return m_flights; }
    WaypointList& waypoints() { return m_waypoints; }
    RouteList& routes() { return m_routes; }
    PilotList& pilots() { return m_pilots; }
    const LoggerInfo& loggerInfo() const { return m_loggerInfo; }
    const FlightDirectory& flightDirectory() const { return m_flightDirectory; }
    const FlightStore& flights() const { return m_flights; }
    const WaypointList& waypoints() const { return m_waypoints; }
    const RouteList& routes() const { return m_routes; }
    const PilotList& pilots() const { return m_pilots; }
    // Never null.
    const std::shared_ptr<Declaration>& declaration() const { return m_declaration; }

    void setLoggerInfo(LoggerInfo info) { m_loggerInfo = std::move(info); }
    // Every entry's file name passes safeFileName here, whichever driver made it.
    void setFlightDirectory(FlightDirectory directory);
    void setFlights(FlightStore flights) { m_flights = std::move(flights); }
    void setWaypoints(WaypointList waypoints) { m_waypoints = std::move(waypoints); }
    void setRoutes(RouteList routes) { m_routes = std::move(routes); }
    void setPilots(PilotList pilots) { m_pilots = std::move(pilots); }
    // A null declaration is replaced by an empty one.
    void setDeclaration(std::shared_ptr<Declaration> declaration);

    // Sets one label; no value removes it.
    void setLoggerInfoObject(std::optional<std::string> value, const std::string& key);
    std::optional<std::string> loggerInfoForKey(const std::string& key) const;

    // The entry's file name, as the recorder gave it, is made safe to write under: see
    // safeFileName; a name with nothing usable left becomes "flight-<number>-<date>.IGC".
    void addFlightToDirectory(FlightEntry entry);
    // Null / nothing when the index lies outside the directory.
    const FlightEntry* flightInDirectoryAtIndex(std::size_t index) const;
    std::optional<std::string> fileNameForFlightInDirectoryAtIndex(std::size_t index) const;

    // Replaces any block stored earlier under the key.
    void setFlight(Bytes flight, int key);
    // Stores the whole file; false (and nothing stored) when it cannot be read.
    bool setFlightFromFile(const std::filesystem::path& path, int key);
    // Null when nothing is stored under the key.
    const Bytes* flightWithKey(int key) const;

    void addWaypoint(std::shared_ptr<Waypoint> waypoint);
    void addRoute(std::shared_ptr<Route> route);
    void addPilot(std::string pilot);
    // Null / nothing when the index lies outside the list.
    std::shared_ptr<Waypoint> waypointAtIndex(std::size_t index) const;
    std::shared_ptr<Route> routeAtIndex(std::size_t index) const;
    std::optional<std::string> pilotAtIndex(std::size_t index) const;
    // True when a stored waypoint lies at the same place (names are not compared).
    bool waypointExist(const Waypoint& waypoint) const;

    std::size_t flightCountInDirectory() const { return m_flightDirectory.size(); }
    std::size_t flightCount() const { return m_flights.size(); }
    std::size_t waypointCount() const { return m_waypoints.size(); }
    std::size_t routeCount() const { return m_routes.size(); }
    std::size_t pilotCount() const { return m_pilots.size(); }

    void clearLoggerInfo() { m_loggerInfo.clear(); }
    void clearFlightDirectory() { m_flightDirectory.clear(); }
    void clearFlights() { m_flights.clear(); }
    void clearWaypoints() { m_waypoints.clear(); }
    void clearRoutes() { m_routes.clear(); }
    void clearPilots() { m_pilots.clear(); }

    // Known: the part holds the recorder's content as read whole in this connection, or
    // what the user gave in its place (a file, a typed declaration). Only known parts may
    // be written back over the recorder's.
    void markKnown(LoggerPart part) { m_known[static_cast<std::size_t>(part)] = true; }
    void forget(LoggerPart part) { m_known[static_cast<std::size_t>(part)] = false; }
    bool isKnown(LoggerPart part) const { return m_known[static_cast<std::size_t>(part)]; }

  private:
    LoggerInfo m_loggerInfo;
    FlightDirectory m_flightDirectory;
    FlightStore m_flights;
    WaypointList m_waypoints;
    RouteList m_routes;
    PilotList m_pilots;
    std::shared_ptr<Declaration> m_declaration;
    std::bitset<3> m_known;
};

}  // namespace kelvo
