#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "geo/Task.h"
#include "geo/Waypoint.h"

namespace kelvo {

class Route;

// The flight declaration a logger keeps: pilots, glider, competition class, home point and
// task. Text getters answer the stored text trimmed of spaces and tabs, empty when unset.
class Declaration {
  public:
    Declaration() = default;

    // Index 0 is "" (no class), then "Club" .. "Oldtimer".
    static const std::vector<std::string>& competitionClassNames();

    std::string pilot1() const;
    std::string pilot2() const;
    std::string pilot3() const;
    std::string pilot4() const;
    std::string gliderID() const;
    std::string gliderType() const;
    std::string competitionID() const;
    void setPilot1(std::string text) { m_pilot1 = std::move(text); }
    void setPilot2(std::string text) { m_pilot2 = std::move(text); }
    void setPilot3(std::string text) { m_pilot3 = std::move(text); }
    void setPilot4(std::string text) { m_pilot4 = std::move(text); }
    void setGliderID(std::string text) { m_gliderID = std::move(text); }
    void setGliderType(std::string text) { m_gliderType = std::move(text); }
    void setCompetitionID(std::string text) { m_competitionID = std::move(text); }

    const std::shared_ptr<Waypoint>& homePoint() const { return m_homePoint; }
    void setHomePoint(std::shared_ptr<Waypoint> homePoint) { m_homePoint = std::move(homePoint); }
    const std::shared_ptr<Task>& task() const { return m_task; }
    void setTask(std::shared_ptr<Task> task) { m_task = std::move(task); }

    // Stored unchecked; the description of an index outside the list is empty.
    std::int32_t competitionClass() const { return m_competitionClass; }
    void setCompetitionClass(std::int32_t index) { m_competitionClass = index; }
    std::string competitionClassDescription() const;
    // The class named by free text in any of several languages, 0 when none matches.
    void setCompetitionClassDescription(std::string_view text);

    // The flag byte of an LX declaration, written back unchanged.
    std::uint8_t lxFlag() const { return m_lxFlag; }
    void setLXFlag(std::uint8_t flag) { m_lxFlag = flag; }

    // Makes the task from the route (creating a task when there is none). A route of
    // fewer than 2 waypoints beeps and changes nothing (false).
    bool useRoute(const Route& route);
    // Empties the texts, the class and the home point; the task and the flag stay.
    void clear();

  private:
    std::string m_pilot1;
    std::string m_pilot2;
    std::string m_pilot3;
    std::string m_pilot4;
    std::string m_gliderID;
    std::string m_gliderType;
    std::string m_competitionID;
    std::shared_ptr<Waypoint> m_homePoint;
    std::shared_ptr<Task> m_task;
    std::int32_t m_competitionClass = 0;
    std::uint8_t m_lxFlag = 0;
};

}  // namespace kelvo
