#include "LoggerAccess/DeclarationFit.h"

#include <algorithm>
#include <numeric>

#include "LoggerAccess/DeclarationCheck.h"
#include "base/Format.h"
#include "base/Text.h"
#include "files/AsciiText.h"
#include "geo/Declaration.h"
#include "geo/Task.h"

namespace kelvo {
namespace {

bool refused(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '$' || c == '*' || c == '!' ||
           c == '\\' || c == '^' || c == '~';
}

std::size_t totalLength(const std::vector<std::string>& names) {
    return std::accumulate(
        names.begin(), names.end(), std::size_t{0},
        [](std::size_t sum, const std::string& name) { return sum + name.size(); });
}

std::vector<std::string> cutTo(const std::vector<std::string>& names, std::size_t length) {
    std::vector<std::string> cut;
    for (const std::string& name : names) cut.push_back(trimSpacesAndTabs(name.substr(0, length)));
    return cut;
}

// Different names that are cut alike end in 1, 2, ... in the order they first come.
void keepUnique(const std::vector<std::string>& names, std::vector<std::string>& cut) {
    const std::vector<std::string> plain = cut;
    for (std::size_t i = 0; i < cut.size(); ++i) {
        std::vector<std::string> alike;
        for (std::size_t j = 0; j < plain.size(); ++j) {
            if (plain[j] == plain[i] &&
                std::find(alike.begin(), alike.end(), names[j]) == alike.end()) {
                alike.push_back(names[j]);
            }
        }
        if (alike.size() < 2) continue;
        const auto number = std::find(alike.begin(), alike.end(), names[i]) - alike.begin() + 1;
        cut[i] = plain[i].substr(0, plain[i].size() - 1) + std::to_string(number);
    }
}

// Each change of the declaration's texts and task names that fitting makes.
template <typename Change>
void forEachText(Declaration& d, const DeclarationLimits& limits, Change change) {
    using Getter = std::string (Declaration::*)() const;
    using Setter = void (Declaration::*)(std::string);
    const std::tuple<const char*, Getter, Setter> texts[] = {
        {"Pilot 1", &Declaration::pilot1, &Declaration::setPilot1},
        {"Pilot 2", &Declaration::pilot2, &Declaration::setPilot2},
        {"Glider ID", &Declaration::gliderID, &Declaration::setGliderID},
        {"Glider type", &Declaration::gliderType, &Declaration::setGliderType},
        {"Competition ID", &Declaration::competitionID, &Declaration::setCompetitionID}};
    if (limits.asciiTexts) {
        for (const auto& [field, get, set] : texts) {
            const std::string old = (d.*get)();
            const std::string fitted = DeclarationFit::cleaned(old);
            if (fitted != old)
                change(field, old, fitted, [&d, set](std::string t) { (d.*set)(t); });
        }
    }
    if (!d.task()) return;
    const auto& points = d.task()->turnpoints();
    std::vector<std::string> names;
    for (const auto& point : points) {
        names.push_back(limits.asciiTexts ? DeclarationFit::cleaned(point->name()) : point->name());
    }
    const std::size_t overhead = limits.taskBytesPerPoint * points.size();
    if (limits.taskNameBytes != 0) {
        const std::size_t budget =
            limits.taskNameBytes > overhead ? limits.taskNameBytes - overhead : 0;
        names = DeclarationFit::shortened(names, budget);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::string old = points[i]->name();
        if (names[i] == old) continue;
        const auto& point = points[i];
        change(stringf("task point %zu", i + 1), old, names[i],
               [point](std::string t) { point->setName(std::move(t)); });
    }
}

}  // namespace

std::string DeclarationFit::cleaned(std::string_view utf8) {
    std::string text = asciiTransliteration(utf8);
    std::erase_if(text, refused);
    return trimSpacesAndTabs(text);
}

std::vector<std::string> DeclarationFit::shortened(const std::vector<std::string>& names,
                                                   std::size_t budget) {
    if (totalLength(names) <= budget) return names;
    std::size_t length = 0;
    for (const std::string& name : names) length = std::max(length, name.size());
    std::vector<std::string> cut;
    for (; length >= 1; --length) {
        cut = cutTo(names, length);
        keepUnique(names, cut);
        if (totalLength(cut) <= budget) break;
    }
    return cut;
}

std::vector<std::string> DeclarationFit::apply(Declaration& declaration,
                                               const DeclarationLimits& limits) {
    std::vector<std::string> lines;
    forEachText(declaration, limits,
                [&lines](const std::string& field, const std::string& old,
                         const std::string& fitted, const auto& set) {
                    lines.push_back(stringf("%s \"%s\" is written as \"%s\"", field.c_str(),
                                            old.c_str(), fitted.c_str()));
                    set(fitted);
                });
    return lines;
}

std::vector<std::string> DeclarationFit::changes(const Declaration& declaration,
                                                 const DeclarationLimits& limits) {
    Declaration copy = declaration;
    if (declaration.task()) {
        auto task = std::make_shared<Task>();
        for (const auto& point : declaration.task()->turnpoints()) {
            task->addTurnpoint(std::make_shared<Turnpoint>(*point));
        }
        copy.setTask(task);
    }
    return apply(copy, limits);
}

}  // namespace kelvo
