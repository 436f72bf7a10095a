#include "LoggerAccess/Nmea/NmeaLink.h"

#include <algorithm>

#include "LoggerAccess/SerialPort.h"
#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo {

bool NmeaLink::send(const NmeaSentence& sentence) {
    const std::string wire = sentence.wire();
    const ByteSpan bytes(reinterpret_cast<const std::uint8_t*>(wire.data()), wire.size());
    return m_port.write(bytes) == bytes.size();
}

std::optional<NmeaSentence> NmeaLink::await(const Wanted& wanted,
                                            std::chrono::milliseconds within) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + scaledTimeout(within);
    std::string line;
    for (;;) {
        // A sentence begun by the deadline is read on to its end while its bytes come within
        // a slow link's gap: a Bluetooth stall inside it does not cut it off.
        const bool begun = !line.empty() && line.size() < kMaxLineLength;
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (begun) wait = std::max(wait, SerialPort::kAnswerGap);
        if (wait.count() <= 0) return std::nullopt;
        std::uint8_t byte = 0;
        if (!m_port.readByte(byte, wait)) {
            if (Clock::now() >= end) return std::nullopt;
            continue;
        }
        if (byte != '\n') {
            if (line.size() < kMaxLineLength) line.push_back(static_cast<char>(byte));
            continue;
        }
        const auto sentence =
            line.size() < kMaxLineLength ? NmeaSentence::parse(line) : std::nullopt;
        line.clear();
        if (sentence && wanted(*sentence)) return sentence;
    }
}

std::optional<NmeaSentence> NmeaLink::await(std::string_view prefix,
                                            std::chrono::milliseconds within) {
    return await([prefix](const NmeaSentence& s) { return s.hasPrefix(prefix); }, within);
}

std::optional<NmeaSentence> NmeaLink::ask(const NmeaSentence& question, const Wanted& wanted,
                                          std::chrono::milliseconds within) {
    m_port.flush(SerialPort::Queue::Input);
    for (int resend = 0; resend <= kResendsAfterChecksumError; ++resend) {
        if (!send(question)) return std::nullopt;
        auto answer = await(
            [&wanted](const NmeaSentence& s) { return s.hasPrefix("ERROR,CKSUM") || wanted(s); },
            within);
        if (!answer || !answer->hasPrefix("ERROR,CKSUM")) return answer;
        logf("The recorder reported a checksum error in $%s.", question.body().c_str());
    }
    logLine("The sentence did not arrive intact after three more attempts.");
    return std::nullopt;
}

}  // namespace kelvo
