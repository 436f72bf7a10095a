#include "LoggerAccess/LXNAV/LXNAVDeclaration.h"

#include <array>
#include <cmath>
#include <cstring>
#include <map>

#include "igc/IGCTaskRecord.h"
#include "LoggerAccess/LXNAV/LXNAVLink.h"
#include "base/Format.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Turnpoint.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

constexpr auto kConfirmWait = 2s;
constexpr int kSendsPerRow = 2;
constexpr auto kRowWait = 2s;
constexpr long long kMostRows = 99;

// The header rows, in the order they are written.
enum class Text { Pilot, CoPilot, GliderType, GliderID, CompetitionID, CompetitionClass };
constexpr std::array<std::pair<Text, const char*>, 6> kHeaders{{
    {Text::Pilot, "HFPLTPILOT:"},
    {Text::CoPilot, "HFCM2CREW2:"},
    {Text::GliderType, "HFGTYGLIDERTYPE:"},
    {Text::GliderID, "HFGIDGLIDERID:"},
    {Text::CompetitionID, "HFCIDCOMPETITIONID:"},
    {Text::CompetitionClass, "HFCCLCOMPETITIONCLASS:"},
}};
constexpr const char* kZone = "LLXVOZ=";
constexpr const char* kTaskOptions = "LLXVTSK,StartOnEntry=false,Short=false,Near=true";
constexpr const char* kPlaceholder = "C0000000N00000000E";

// A text as the declaration keeps it, so that what is read back is what was meant.
std::string kept(std::string text) {
    return text.substr(0, LXNAVDeclaration::kTextLength);
}

std::string textOf(const Declaration& declaration, Text text) {
    switch (text) {
        case Text::Pilot:
            return declaration.pilot1();
        case Text::CoPilot:
            return declaration.pilot2();
        case Text::GliderType:
            return declaration.gliderType();
        case Text::GliderID:
            return declaration.gliderID();
        case Text::CompetitionID:
            return declaration.competitionID();
        case Text::CompetitionClass:
            return declaration.competitionClassDescription();
    }
    return {};
}

void setText(Declaration& declaration, Text text, std::string value) {
    switch (text) {
        case Text::Pilot:
            return declaration.setPilot1(std::move(value));
        case Text::CoPilot:
            return declaration.setPilot2(std::move(value));
        case Text::GliderType:
            return declaration.setGliderType(std::move(value));
        case Text::GliderID:
            return declaration.setGliderID(std::move(value));
        case Text::CompetitionID:
            return declaration.setCompetitionID(std::move(value));
        case Text::CompetitionClass:
            return declaration.setCompetitionClassDescription(value);
    }
}

// "DDMM.mmmN" / "DDDMM.mmmE" of a zone row.
std::string zoneCoordinate(const std::string& packed, std::size_t degreeDigits) {
    return packed.substr(0, degreeDigits + 2) + "." + packed.substr(degreeDigits + 2);
}

// A line keeps its width in R1; a cylinder is a zone of half angle 180; a sector keeps its
// radius, half angle 45 and direction, with the cylinder (if any) as the second zone.
std::string zoneRow(const Turnpoint& point, int index, int style) {
    int r1 = point.getCylinderRadius(), a1 = 180, r2 = 0, a2 = 0, a12 = 0;
    if (point.getOzType() == 1) {
        r1 = point.getLineWidth();
        a1 = 90;
    } else if (point.getSectorRadius() != 0) {
        r1 = point.getSectorRadius();
        a1 = 45;
        a12 = point.getSectorDirection();
        r2 = point.getCylinderRadius();
        a2 = r2 != 0 ? 180 : 0;
        style = 0;  // the direction is fixed
    }
    return stringf(
        "%s%d,Style=%d,R1=%dm,A1=%d,R2=%dm,A2=%d,A12=%d,Maxa=0m%s,Autonext=1,Lat=%s,"
        "Lon=%s",
        kZone, index, style, r1, a1, r2, a2, a12, point.getOzType() == 1 ? ",Line=1" : "",
        zoneCoordinate(IGCTaskRecord::latitude(point.latitudeDegrees()), 2).c_str(),
        zoneCoordinate(IGCTaskRecord::longitude(point.longitudeDegrees()), 3).c_str());
}

bool hasZone(const Turnpoint& point) {
    return point.getOzType() == 1 || point.getCylinderRadius() != 0 || point.getSectorRadius() != 0;
}

// "Name=value" pairs of a zone row after its index.
std::map<std::string, std::string> zoneValues(std::string_view row) {
    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start <= row.size()) {
        const std::size_t comma = std::min(row.find(',', start), row.size());
        const std::string_view pair = row.substr(start, comma - start);
        if (const std::size_t equals = pair.find('='); equals != std::string_view::npos)
            values[std::string(pair.substr(0, equals))] = std::string(pair.substr(equals + 1));
        start = comma + 1;
    }
    return values;
}

int zoneNumber(const std::map<std::string, std::string>& values, const char* name) {
    const auto found = values.find(name);
    if (found == values.end()) return 0;
    std::string digits = found->second;
    if (!digits.empty() && digits.back() == 'm') digits.pop_back();
    return static_cast<int>(lxnavNumber(digits).value_or(0));
}

void applyZone(Turnpoint& point, std::string_view row) {
    const auto values = zoneValues(row);
    if (values.contains("Line")) {
        point.setOzType(1);
        point.setLineWidth(zoneNumber(values, "R1"));
    } else if (zoneNumber(values, "A1") == 180) {
        point.setCylinderRadius(zoneNumber(values, "R1"));
    } else {
        point.setSectorRadius(zoneNumber(values, "R1"));
        point.setSectorDirection(zoneNumber(values, "A12"));
        point.setCylinderRadius(zoneNumber(values, "R2"));
    }
}

}  // namespace

DeclarationLimits LXNAVDeclaration::limits() {
    DeclarationLimits limits = DeclarationLimits::ofTextSentences(kTextLength, kMaxTaskPoints);
    limits.zones = {true, true, true, true};
    return limits;
}

std::vector<std::string> LXNAVDeclaration::rowsOf(const Declaration& declaration,
                                                  std::chrono::sys_seconds now) {
    std::vector<std::string> rows;
    for (const auto& [text, header] : kHeaders)
        rows.push_back(header + kept(textOf(declaration, text)));
    const auto& task = declaration.task();
    if (!task || task->numOfTurnpoints() < 2) return rows;
    const std::size_t points = task->numOfTurnpoints();
    const UtcFields at = utcFields(now);
    rows.push_back(stringf("C%02d%02d%02d%02d%02d%02d0000000000%02zu", at.day, at.month,
                           at.year % 100, at.hour, at.minute, at.second, points - 2));
    rows.push_back(std::string(kPlaceholder) + "TAKEOFF");
    for (std::size_t i = 0; i < points; ++i) {
        const Turnpoint& point = *task->turnpoint(i);
        rows.push_back("C" + IGCTaskRecord::latitude(point.latitudeDegrees()) +
                       IGCTaskRecord::longitude(point.longitudeDegrees()) + kept(point.name()));
    }
    rows.push_back(std::string(kPlaceholder) + "LANDING");
    // Zones are numbered from -1, the start; the finish takes its bearing from the last leg.
    for (std::size_t i = 0; i < points; ++i) {
        const Turnpoint& point = *task->turnpoint(i);
        const int style = i == 0 ? 2 : i + 1 == points ? 3 : 1;
        if (hasZone(point)) rows.push_back(zoneRow(point, static_cast<int>(i) - 1, style));
    }
    rows.push_back(kTaskOptions);
    return rows;
}

Declaration LXNAVDeclaration::declarationOf(const std::vector<std::string>& rows) {
    Declaration declaration;
    std::vector<std::string> taskRows;
    for (const std::string& row : rows) {
        for (const auto& [text, header] : kHeaders) {
            if (row.starts_with(header))
                setText(declaration, text, row.substr(std::strlen(header)));
        }
        if (row.starts_with('C')) taskRows.push_back(row);
    }
    auto task = IGCTaskRecord::taskOf(taskRows);
    for (const std::string& row : rows) {
        if (!row.starts_with(kZone)) continue;
        const auto index =
            lxnavNumber(row.substr(std::strlen(kZone), row.find(',') - std::strlen(kZone)));
        if (!index || *index + 1 < 0 ||
            static_cast<std::size_t>(*index + 1) >= task->numOfTurnpoints())
            continue;
        applyZone(*task->turnpoint(static_cast<std::size_t>(*index + 1)), row);
    }
    if (task->numOfTurnpoints() > 0) declaration.setTask(task);
    return declaration;
}

bool LXNAVDeclaration::confirmed(std::size_t row) {
    // A confirmation of another row (a late one of an earlier send) is passed over.
    for (int answers = 0; answers < 4; ++answers) {
        const auto answer = m_link.await({"DECL,C"}, kConfirmWait);
        if (!answer) return false;
        if (!answer->arguments.empty() &&
            lxnavNumber(answer->arguments[0]) == static_cast<long long>(row))
            return true;
    }
    return false;
}

Outcome LXNAVDeclaration::write(const Declaration& declaration, std::chrono::sys_seconds now) {
    const std::vector<std::string> rows = rowsOf(declaration, now);
    for (std::size_t k = 1; k <= rows.size(); ++k) {
        bool taken = false;
        for (int send = 0; send < kSendsPerRow && !taken; ++send) {
            m_link.send(stringf("DECL,W,%zu,%zu,%s", k, rows.size(), rows[k - 1].c_str()));
            taken = confirmed(k);
        }
        if (!taken) {
            return Outcome::failure(
                stringf("the recorder did not confirm row %zu of %zu", k, rows.size()));
        }
    }
    logf("The recorder confirmed all %zu rows of the declaration.", rows.size());
    return Outcome::success();
}

Outcome LXNAVDeclaration::read(Declaration& declaration) {
    std::vector<std::string> rows;
    long long count = 0;
    for (int request = 0;
         request < 2 && (count == 0 || static_cast<long long>(rows.size()) < count); ++request) {
        if (request > 0) m_link.drainUntilQuiet();
        m_link.send(stringf("DECL,R,%zu,%lld", rows.size() + 1, kMostRows + 1));
        while (count == 0 || static_cast<long long>(rows.size()) < count) {
            const auto answer = m_link.await({"DECL,A"}, kRowWait);
            if (!answer || answer->arguments.size() < 2) break;
            const auto row = lxnavNumber(answer->arguments[0]);
            const auto total = lxnavNumber(answer->arguments[1]);
            if (!row || !total || *row != static_cast<long long>(rows.size()) + 1 || *total < 1 ||
                *total > kMostRows || (count != 0 && *total != count)) {
                break;
            }
            count = *total;
            rows.push_back(answer->textFrom(2));
        }
    }
    if (count == 0) return Outcome::failure("no declaration came back from the recorder");
    if (static_cast<long long>(rows.size()) < count) {
        return Outcome::failure(
            stringf("the declaration came back in part: %zu of its %lld rows", rows.size(), count));
    }
    declaration = declarationOf(rows);
    return Outcome::success();
}

}  // namespace kelvo
