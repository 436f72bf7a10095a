#include "LoggerAccess/LXNAV/LXNAVBlockTransfer.h"

#include <algorithm>
#include <array>

#include "LoggerAccess/LXNAV/LXNAVBlockCrc.h"
#include "LoggerAccess/LXNAV/LXNAVLink.h"
#include "base/Cancellation.h"
#include "base/Format.h"
#include "base/Log.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// File bytes a block carries, and blocks a window, after which the recorder waits for the
// host to confirm them.
constexpr std::size_t kPayload = 140;
constexpr std::size_t kWindow = 16;
// The recorder opens the file before its first block; firmware without the block transfer
// answers nothing at all.
constexpr auto kOpenWait = 5s;
constexpr auto kBlockWait = 2s;
constexpr int kRequestsPerBlock = 2;

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::optional<std::string> LXNAVBlockTransfer::decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int padding =
            last ? static_cast<int>(std::count(text.end() - 2, text.end(), '=')) : 0;
        if (padding == 1 && text[i + 2] == '=') return std::nullopt;
        std::uint32_t quad = 0;
        for (int k = 0; k < 4 - padding; ++k) {
            const int value = base64Value(text[i + static_cast<std::size_t>(k)]);
            if (value < 0) return std::nullopt;
            quad |= static_cast<std::uint32_t>(value) << (18 - 6 * k);
        }
        for (int k = 0; k < 3 - padding; ++k)
            bytes.push_back(static_cast<char>(quad >> (16 - 8 * k)));
    }
    return bytes;
}

std::optional<Outcome> LXNAVBlockTransfer::fetch(const std::string& file, std::uint64_t size,
                                                 std::string& contents, const Progress& progress) {
    m_blocks.clear();
    m_answered = false;
    const std::size_t count = (size + kPayload - 1) / kPayload;
    m_link.send(stringf("FILE_INFO,R,/%s,%zu,%zu", file.c_str(), kWindow, kPayload));
    LXNAVBlockCrc running;
    std::string decoded;
    for (std::size_t first = 0; first < count; first += kWindow) {
        const std::size_t end = std::min(first + kWindow, count);
        if (!receiveWindow(first, end, first == 0)) {
            if (cancellationRequested()) return abandon(Outcome::cancelled());
            if (!m_answered) return std::nullopt;
            return abandon(Outcome::failure(stringf(
                "block %zu of %s did not come, although asked for again", first, file.c_str())));
        }
        for (std::size_t number = first; number < end; ++number) {
            LXNAVBlockCrc checked = running;
            checked.add(m_blocks[number].text);
            if (checked.value() != m_blocks[number].crc) {
                logf("Block %zu of %s failed its check value; asking for it again.", number,
                     file.c_str());
                checked = running;
                if (askAgain(number)) checked.add(m_blocks[number].text);
                if (checked.value() != m_blocks[number].crc) {
                    return abandon(Outcome::failure(stringf(
                        "block %zu of %s failed its check value twice", number, file.c_str())));
                }
            }
            running = checked;
            const auto bytes = decodeBase64(m_blocks[number].text);
            if (!bytes || (number + 1 < count && bytes->size() != kPayload)) {
                return abandon(Outcome::failure(
                    stringf("block %zu of %s is not a whole block", number, file.c_str())));
            }
            decoded += *bytes;
        }
        m_blocks.clear();
        m_link.send(stringf("FILE_OK,R,%zu", end));
        if (progress) progress(decoded.size(), size);
    }
    return finish(file, size, decoded, contents);
}

bool LXNAVBlockTransfer::receiveWindow(std::size_t first, std::size_t end, bool opening) {
    auto missing = [&] {
        for (std::size_t number = first; number < end; ++number) {
            if (!m_blocks.contains(number)) return true;
        }
        return false;
    };
    auto wait = opening ? kOpenWait : kBlockWait;
    while (missing() && !cancellationRequested()) {
        const auto answer = m_link.await({"FILE_DATA,A"}, wait);
        if (!answer) break;
        m_answered = true;
        wait = kBlockWait;
        if (auto block = blockOf(answer->arguments, first, end))
            m_blocks[block->first] = block->second;
    }
    if (!m_answered || cancellationRequested()) return false;
    for (std::size_t number = first; number < end; ++number) {
        if (!m_blocks.contains(number) && !askAgain(number)) return false;
    }
    return true;
}

std::optional<std::pair<std::size_t, LXNAVBlockTransfer::Block>> LXNAVBlockTransfer::blockOf(
    const std::vector<std::string>& arguments, std::size_t first, std::size_t end) {
    if (arguments.size() != 4) return std::nullopt;
    const auto number = lxnavNumber(arguments[1]);
    const auto crc = LXNAVBlockCrc::parse(arguments[2]);
    const auto bytes = decodeBase64(arguments[3]);
    if (!number || *number < static_cast<long long>(first) ||
        *number >= static_cast<long long>(end) || !crc || !bytes || bytes->empty() ||
        bytes->size() > kPayload) {
        return std::nullopt;
    }
    return std::pair{static_cast<std::size_t>(*number), Block{arguments[3], *crc}};
}

bool LXNAVBlockTransfer::askAgain(std::size_t number) {
    m_blocks.erase(number);
    for (int request = 0; request < kRequestsPerBlock && !cancellationRequested(); ++request) {
        m_link.send(stringf("FILE_DATA_LOST,R,%zu", number));
        while (const auto answer = m_link.await({"FILE_DATA,A"}, kBlockWait)) {
            const auto block = blockOf(answer->arguments, number, number + 1);
            if (!block) continue;
            m_blocks[number] = block->second;
            return true;
        }
    }
    return false;
}

Outcome LXNAVBlockTransfer::finish(const std::string& file, std::uint64_t size,
                                   const std::string& decoded, std::string& contents) {
    const auto answer = m_link.await({"FILE_CRC32,A"}, kBlockWait);
    const auto crc = answer && answer->arguments.size() == 1
                         ? LXNAVBlockCrc::parse(answer->arguments[0])
                         : std::nullopt;
    if (!crc) {
        return abandon(Outcome::failure("the recorder did not send the check value of " + file));
    }
    if (*crc != LXNAVBlockCrc::of(decoded) || decoded.size() != size) {
        return abandon(Outcome::failure(file + " arrived, but not as the recorder holds it (its "
                                               "check value or size differs)"));
    }
    m_link.send("FILE_CRC_OK,R");
    contents = decoded;
    return Outcome::success();
}

Outcome LXNAVBlockTransfer::abandon(Outcome outcome) {
    m_link.send("FILE_CANCEL,R");
    // A cancel ends at once: the next question drops what is still on the way.
    if (!cancellationRequested()) m_link.drainUntilQuiet();
    return outcome;
}

}  // namespace kelvo
