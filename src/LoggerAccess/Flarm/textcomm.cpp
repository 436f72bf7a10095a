#include "LoggerAccess/Flarm/textcomm.h"

#include "LoggerAccess/Flarm/serial.h"
#include "base/Log.h"

namespace kelvo::flarm {
namespace {

using std::chrono::milliseconds;

// A configuration read is answered within a second or two.
constexpr milliseconds kReadAnswer{2000};
// Known hosts give a written item 2 to 20 s to be echoed; a missing echo is asked twice more.
constexpr milliseconds kWriteEcho{5000};
constexpr int kWriteAttempts = 3;
constexpr milliseconds kRestartAnswer{2000};
// How long a restarting device may stay silent, and how often it is asked whether it is back.
constexpr milliseconds kRestartSilence{30000};
constexpr milliseconds kAliveAnswer{1000};

// "$PFLAC,A,ERROR", "$PFLAC,A,ERROR(unknown command)", "$PFLAC,A,WARNING...".
bool isRefusal(const NmeaSentence& sentence) {
    return sentence.body().starts_with("PFLAC,A,ERROR") ||
           sentence.body().starts_with("PFLAC,A,WARNING");
}

}  // namespace

textcomm::textcomm(serial& port) : m_link(port.line()) {}

textcomm::Reply textcomm::ask(std::string_view question, std::string_view item,
                              milliseconds within) {
    const std::string answerPrefix = "PFLAC,A," + std::string(item);
    const auto answer = m_link.ask(
        NmeaSentence(std::string(question)),
        [&](const NmeaSentence& s) { return s.hasPrefix(answerPrefix) || isRefusal(s); }, within);
    if (!answer) return {};
    if (isRefusal(*answer)) return {Reply::Status::Refused, "$" + answer->body()};
    return {Reply::Status::Answered, answer->fieldsFrom(3)};
}

textcomm::Reply textcomm::read(std::string_view item) {
    const Reply reply = ask("PFLAC,R," + std::string(item), item, kReadAnswer);
    if (!reply.answered()) {
        logf("The device did not answer the %.*s query%s.", static_cast<int>(item.size()),
             item.data(), reply.status == Reply::Status::Refused ? " but refused it" : "");
    }
    return reply;
}

textcomm::Reply textcomm::write(std::string_view item, std::string_view value) {
    const std::string question = "PFLAC,S," + std::string(item) + "," + std::string(value);
    Reply reply;
    for (int attempt = 0; attempt < kWriteAttempts && reply.status == Reply::Status::Silent;
         ++attempt) {
        reply = ask(question, item, kWriteEcho);
    }
    return reply;
}

std::optional<std::vector<std::string>> textcomm::readTask() {
    std::vector<std::string> lines;
    Reply reply = read("TASK");
    // The list ends with an empty "$PFLAC,A,TASK"; every line before it carries one C line.
    while (reply.answered() && !reply.text.empty()) {
        lines.push_back(reply.text);
        const auto next = m_link.await("PFLAC,A,TASK", kReadAnswer);
        if (!next) return std::nullopt;
        reply = {Reply::Status::Answered, next->fieldsFrom(3)};
    }
    if (!reply.answered()) return std::nullopt;
    return lines;
}

bool textcomm::restart() {
    if (!m_link.ask(
            NmeaSentence("PFLAR,0"), [](const NmeaSentence& s) { return s.hasPrefix("PFLAR,A"); },
            kRestartAnswer)) {
        logLine("The device did not acknowledge the restart; waiting for it all the same.");
    }
    const int attempts = static_cast<int>(kRestartSilence / kAliveAnswer);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (answersText()) return true;
    }
    return false;
}

bool textcomm::answersText() {
    return m_link
        .ask(
            NmeaSentence("PFLAP,R"), [](const NmeaSentence& s) { return s.hasPrefix("PFLAP,A"); },
            kAliveAnswer)
        .has_value();
}

bool textcomm::value(std::string& text, std::string_view item, std::size_t skippedFields) {
    const Reply reply = read(item);
    text = reply.answered() ? NmeaSentence(reply.text).fieldsFrom(skippedFields) : std::string();
    return reply.answered();
}

bool textcomm::getGliderRegistration(std::string& text) {
    return value(text, "GLIDERID");
}

bool textcomm::getCompetitionID(std::string& text) {
    return value(text, "COMPID");
}

bool textcomm::getCompetitionClass(std::string& text) {
    return value(text, "COMPCLASS");
}

bool textcomm::getGliderType(std::string& text) {
    return value(text, "GLIDERTYPE");
}

bool textcomm::getPilotName(std::string& text) {
    return value(text, "PILOT");
}

bool textcomm::getAircraftType(std::string& text) {
    return value(text, "ACFT");
}

bool textcomm::getSerialnumber(std::string& text) {
    return value(text, "SER");
}

bool textcomm::getObstacleDatabase(std::string& text) {
    return value(text, "OBSTDB", 2);
}

bool textcomm::getSoftwareVersion(std::string& text) {
    return value(text, "SWVER");
}

bool textcomm::getHardwareVersion(std::string& text) {
    return value(text, "HWVER");
}

bool textcomm::switchToBinary() {
    return m_link.send(NmeaSentence("PFLAX"));
}

}  // namespace kelvo::flarm
