#include "geo/Declaration.h"

#include <array>

#include "base/Beep.h"
#include "base/Text.h"
#include "geo/Route.h"

namespace kelvo {

namespace {

struct ClassKeywords {
    std::int32_t competitionClass;
    std::vector<std::string_view> keywords;
};

// Searched in this order; the first group with a hit names the class, so "Open 18m" is an
// 18 Meter glider and "Oldtimer Club" a club class one.
const std::array<ClassKeywords, 9>& classKeywords() {
    static const std::array<ClassKeywords, 9> groups{{
        {1, {"club", "klub"}},
        {2, {"standa"}},
        {3, {"15", "ren", "fifteen"}},
        {4, {"18", "eight"}},
        {5, {"duo", "dou", "twin", "doppel", "twee", "dubb", "biplace"}},
        {6, {"opn", "open", "unlim"}},
        {7, {"world", "wrld", "wereld", "welt"}},
        {8, {"motor", "moter", "engine", "turb", "power"}},
        {9, {"old", "vint"}},
    }};
    return groups;
}

}  // namespace

const std::vector<std::string>& Declaration::competitionClassNames() {
    static const std::vector<std::string> names{
        "",     "Club",       "Standard",    "15 Meter",     "18 Meter",
        "Twin", "Open Class", "World Class", "Motor Glider", "Oldtimer"};
    return names;
}

std::string Declaration::pilot1() const {
    return trimSpacesAndTabs(m_pilot1);
}
std::string Declaration::pilot2() const {
    return trimSpacesAndTabs(m_pilot2);
}
std::string Declaration::pilot3() const {
    return trimSpacesAndTabs(m_pilot3);
}
std::string Declaration::pilot4() const {
    return trimSpacesAndTabs(m_pilot4);
}
std::string Declaration::gliderID() const {
    return trimSpacesAndTabs(m_gliderID);
}
std::string Declaration::gliderType() const {
    return trimSpacesAndTabs(m_gliderType);
}
std::string Declaration::competitionID() const {
    return trimSpacesAndTabs(m_competitionID);
}

std::string Declaration::competitionClassDescription() const {
    const auto& names = competitionClassNames();
    if (m_competitionClass < 0 || static_cast<std::size_t>(m_competitionClass) >= names.size()) {
        return {};
    }
    return names[static_cast<std::size_t>(m_competitionClass)];
}

void Declaration::setCompetitionClassDescription(std::string_view text) {
    m_competitionClass = 0;
    for (const ClassKeywords& group : classKeywords()) {
        for (std::string_view keyword : group.keywords) {
            if (containsIgnoringCase(text, keyword)) {
                m_competitionClass = group.competitionClass;
                return;
            }
        }
    }
}

bool Declaration::useRoute(const Route& route) {
    if (route.waypoints().size() < 2) {
        beep();
        return false;
    }
    if (!m_task) m_task = std::make_shared<Task>();
    return m_task->useRoute(route);
}

void Declaration::clear() {
    for (std::string* text : {&m_competitionID, &m_pilot1, &m_pilot2, &m_pilot3, &m_pilot4,
                              &m_gliderID, &m_gliderType}) {
        text->clear();
    }
    m_competitionClass = 0;
    m_homePoint.reset();
}

}  // namespace kelvo
