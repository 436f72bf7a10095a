#include "LoggerAccess/LXNAV/LXNAVLink.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "LoggerAccess/SerialPort.h"
#include "base/Delay.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kTalker = "PLXVC,";
// The line counts as quiet after this long without a byte; a drain ends after the longest.
constexpr auto kQuiet = 200ms;
constexpr auto kLongestDrain = 2s;

// The fields before an answer's arguments: the talker and those of the key.
std::size_t fieldsBefore(std::string_view key) {
    return 2 + static_cast<std::size_t>(std::count(key.begin(), key.end(), ','));
}

}  // namespace

std::optional<long long> lxnavNumber(std::string_view text) {
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

std::string LXNAVAnswer::textFrom(std::size_t index) const {
    return NmeaSentence(body).fieldsFrom(fieldsBefore(key) + index);
}

std::optional<LXNAVAnswer> LXNAVLink::answerOf(const NmeaSentence& sentence,
                                               std::initializer_list<std::string_view> keys) {
    for (const std::string_view key : keys) {
        const std::string prefix = std::string(kTalker) + std::string(key);
        if (!sentence.hasPrefix(prefix)) continue;
        LXNAVAnswer answer{std::string(key), {}, sentence.body()};
        std::vector<std::string> fields = sentence.fields();
        answer.arguments.assign(fields.begin() + static_cast<std::ptrdiff_t>(fieldsBefore(key)),
                                fields.end());
        if (!answer.arguments.empty() && answer.arguments.back().empty())
            answer.arguments.pop_back();
        return answer;
    }
    return std::nullopt;
}

bool LXNAVLink::send(const std::string& command) {
    return m_nmea.send(NmeaSentence(std::string(kTalker) + command));
}

std::optional<LXNAVAnswer> LXNAVLink::await(std::initializer_list<std::string_view> keys,
                                            Milliseconds within) {
    const auto sentence = m_nmea.await(
        [keys](const NmeaSentence& s) { return answerOf(s, keys).has_value(); }, within);
    return sentence ? answerOf(*sentence, keys) : std::nullopt;
}

std::optional<LXNAVAnswer> LXNAVLink::ask(const std::string& command,
                                          std::initializer_list<std::string_view> keys,
                                          Milliseconds within) {
    const auto sentence = m_nmea.ask(
        NmeaSentence(std::string(kTalker) + command),
        [keys](const NmeaSentence& s) { return answerOf(s, keys).has_value(); }, within);
    return sentence ? answerOf(*sentence, keys) : std::nullopt;
}

void LXNAVLink::drainUntilQuiet() {
    const auto end = std::chrono::steady_clock::now() + scaledTimeout(kLongestDrain);
    std::array<std::uint8_t, 256> buffer{};
    while (std::chrono::steady_clock::now() < end &&
           m_port.read(buffer, scaledTimeout(kQuiet)) > 0) {
    }
    m_port.flush(SerialPort::Queue::Input);
}

}  // namespace kelvo
