#include "LoggerAccess/DeclarationCheck.h"

#include <cmath>

#include "LoggerAccess/Logger.h"
#include "base/Format.h"
#include "base/Text.h"
#include "base/Windows1252.h"
#include "geo/Declaration.h"

namespace kelvo {

namespace {

using Difference = DeclarationDifference;

// The text as a record field of that many 8-bit characters gives it back.
std::string asHeld(const std::string& text, std::size_t length, bool upperCase) {
    std::string bytes = utf8ToWindows1252(text);
    if (bytes.size() > length) bytes.resize(length);
    if (upperCase) bytes = toUpperAscii(bytes);
    return trimSpacesAndTabs(windows1252ToUtf8(bytes));
}

void compareText(const char* field, const std::string& meant, const std::string& held,
                 std::size_t length, bool upperCase, std::vector<Difference>& differences) {
    if (length == 0) return;
    const std::string expected = asHeld(meant, length, upperCase);
    if (expected != held) differences.push_back({field, expected, held});
}

std::string pointText(const Waypoint& point) {
    return stringf("%s (%.5f, %.5f)", point.name().c_str(), point.latitudeDegrees(),
                   point.longitudeDegrees());
}

void comparePoint(const std::string& field, const Waypoint& meant, const Waypoint* held,
                  const DeclarationLimits& limits, std::vector<Difference>& differences) {
    const std::string name = asHeld(meant.name(), limits.pointNameLength, limits.upperCase);
    // Truncation or rounding to the resolution moves a coordinate by less than one step.
    const double tolerance = limits.coordinateResolution * 1.000001;
    if (held && held->name() == name &&
        std::abs(held->latitudeDegrees() - meant.latitudeDegrees()) <= tolerance &&
        std::abs(held->longitudeDegrees() - meant.longitudeDegrees()) <= tolerance) {
        return;
    }
    Waypoint expected(meant);
    expected.setName(name);
    differences.push_back({field, pointText(expected), held ? pointText(*held) : "none"});
}

// The task points the recorder can keep: all, or the first ones and the finish.
std::vector<std::shared_ptr<Turnpoint>> keptPoints(const Task& task, std::size_t maxPoints) {
    auto points = task.turnpoints();
    if (maxPoints >= 2 && points.size() > maxPoints) {
        points.erase(points.begin() + static_cast<std::ptrdiff_t>(maxPoints) - 1, points.end() - 1);
    }
    return points;
}

void compareTask(const Declaration& meant, const Declaration& held, const DeclarationLimits& limits,
                 std::vector<Difference>& differences) {
    if (!meant.task() || meant.task()->turnpoints().empty()) return;
    const auto expected = keptPoints(*meant.task(), limits.maxTaskPoints);
    const auto heldPoints =
        held.task() ? held.task()->turnpoints() : std::vector<std::shared_ptr<Turnpoint>>{};
    if (heldPoints.size() != expected.size()) {
        differences.push_back(
            {"Task points", std::to_string(expected.size()), std::to_string(heldPoints.size())});
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (!expected[i]) continue;
        comparePoint(stringf("Task point %zu", i + 1), *expected[i],
                     i < heldPoints.size() ? heldPoints[i].get() : nullptr, limits, differences);
    }
}

// The class travels as a code: an index outside the list is kept as no class.
std::int32_t listedClass(std::int32_t index) {
    const auto count = static_cast<std::int32_t>(Declaration::competitionClassNames().size());
    return index >= 0 && index < count ? index : 0;
}

std::string className(std::int32_t index) {
    const std::string& name =
        Declaration::competitionClassNames()[static_cast<std::size_t>(listedClass(index))];
    return name.empty() ? "no class" : name;
}

}  // namespace

std::string DeclarationVerification::text() const {
    switch (verdict) {
        case Verdict::Verified:
            return "written and verified";
        case Verdict::NotVerifiable:
            return "written, not verifiable";
        case Verdict::ItemsVerified:
            return "written; this unit cannot report its task, items verified";
        case Verdict::NotReadBack:
            return "written, but it could not be read back to verify it: " + readFailure;
        case Verdict::Differs:
            break;
    }
    std::string text = "written, but the recorder holds another declaration:";
    for (const Difference& difference : differences) {
        text += stringf(" %s meant \"%s\", recorder holds \"%s\";", difference.field.c_str(),
                        difference.meant.c_str(), difference.held.c_str());
    }
    text.pop_back();
    return text;
}

std::vector<DeclarationDifference> DeclarationCheck::compare(const Declaration& meant,
                                                             const Declaration& held,
                                                             const DeclarationLimits& limits) {
    std::vector<Difference> differences;
    const bool upper = limits.upperCase;
    compareText("Pilot 1", meant.pilot1(), held.pilot1(), limits.pilotLength[0], upper,
                differences);
    compareText("Pilot 2", meant.pilot2(), held.pilot2(), limits.pilotLength[1], upper,
                differences);
    compareText("Pilot 3", meant.pilot3(), held.pilot3(), limits.pilotLength[2], upper,
                differences);
    compareText("Pilot 4", meant.pilot4(), held.pilot4(), limits.pilotLength[3], upper,
                differences);
    compareText("Glider ID", meant.gliderID(), held.gliderID(), limits.gliderIDLength, upper,
                differences);
    compareText("Glider type", meant.gliderType(), held.gliderType(), limits.gliderTypeLength,
                upper, differences);
    compareText("Competition ID", meant.competitionID(), held.competitionID(),
                limits.competitionIDLength, upper, differences);

    if (listedClass(meant.competitionClass()) != listedClass(held.competitionClass())) {
        differences.push_back({"Competition class", className(meant.competitionClass()),
                               className(held.competitionClass())});
    }

    if (meant.homePoint() && limits.keepsHomePoint) {
        comparePoint("Home point", *meant.homePoint(), held.homePoint().get(), limits, differences);
    }
    if (limits.reportsTask) compareTask(meant, held, limits, differences);
    return differences;
}

DeclarationVerification DeclarationCheck::verifyWritten(Logger& logger) {
    using Verdict = DeclarationVerification::Verdict;
    if (!logger.declarationLimits() || !logger.loggerData().declaration()) {
        return {Verdict::NotVerifiable, {}, ""};
    }
    // The drivers replace the home point and task on reading, so this copy keeps the meant ones.
    const Declaration meant = *logger.loggerData().declaration();
    const Outcome read = logger.readDeclaration(true);
    if (!read || !logger.loggerData().declaration())
        return {Verdict::NotReadBack, {}, read.reason()};
    // Whether the task came back is known only after the read.
    const DeclarationLimits limits = *logger.declarationLimits();
    auto differences = compare(meant, *logger.loggerData().declaration(), limits);
    const bool taskMeant = meant.task() && !meant.task()->turnpoints().empty();
    const Verdict verdict = !differences.empty()                  ? Verdict::Differs
                            : limits.reportsTask || !taskMeant ? Verdict::Verified
                                                                  : Verdict::ItemsVerified;
    return {verdict, std::move(differences), ""};
}

DeclarationLimits DeclarationLimits::ofTextSentences(std::size_t textLength,
                                                     std::size_t maxTaskPoints) {
    DeclarationLimits limits;
    limits.pilotLength = {textLength, textLength, 0, 0};
    limits.gliderIDLength = textLength;
    limits.gliderTypeLength = textLength;
    limits.competitionIDLength = textLength;
    limits.pointNameLength = textLength;
    limits.coordinateResolution = 1.0 / 60000.0;
    limits.maxTaskPoints = maxTaskPoints;
    limits.keepsHomePoint = false;
    limits.asciiTexts = true;  // "$" or "*" in a text would break its sentence
    return limits;
}

}  // namespace kelvo
