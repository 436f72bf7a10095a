#include "LoggerAccess/LX/LXSerial.h"

#include <algorithm>
#include <utility>

#include "LoggerAccess/LX/CRC8.h"
#include "LoggerAccess/LX/LXProtocol.h"
#include "LoggerAccess/TerminalPort.h"
#include "base/Log.h"

namespace kelvo {
namespace {

constexpr std::size_t kProgressStep = 1024;

}  // namespace

LXSerial::LXSerial(std::unique_ptr<SerialPort> port)
    : HSSerialPort(port ? std::move(port)
                        : std::make_unique<TerminalPort>(TerminalPort::SignalNotice{
                              "LX-Logger-Connection: releaseTTY ", ""})) {}

bool LXSerial::connect() {
    logLine("Opening Port.");
    if (openPort()) return true;
    logLine("No logger found!");
    return false;
}

Bytes LXSerial::readBlockWithSize(int size, const BlockProgress& progress) {
    // The data bytes and their CRC byte, taken a progress step at a time: the first byte
    // within the recorder's 0.1 s, every further one within the gap a slow link may leave.
    Bytes block(static_cast<std::size_t>(std::max(size, 0)) + 1);
    std::size_t received = 0;
    while (received < block.size()) {
        const std::size_t step = std::min(kProgressStep, block.size() - received);
        const std::size_t count =
            port().readAnswer(MutableByteSpan(block).subspan(received, step),
                              received == 0 ? lx::kByteTimeout : SerialPort::kAnswerGap);
        received += count;
        if (count < step) break;
        if (progress && received < block.size()) progress(received);
    }
    block.resize(received);
    CRC8 crc;
    for (const std::uint8_t byte : block) crc.calc_crc(byte);
    const bool whole = static_cast<int>(received) == size + 1;
    if (whole) block.pop_back();  // the CRC byte
    m_lastBlockOK = crc.get_crc() == 0 && whole;
    if (crc.get_crc() == 0) {
        logf("ReadBlockWithSize (%d): CRC OK.", size);
    } else {
        logf("ReadBlockWithSize (%d): CRC mismatch (0x%x).", size, crc.get_crc());
    }
    return block;
}

void LXSerial::awaitQuiet() {
    // Bounded by the longest answer, in case a device never falls quiet.
    constexpr std::size_t kLongestAnswer = 65536 + 1;
    std::uint8_t scratch[256];
    std::size_t discarded = 0;
    while (discarded < kLongestAnswer) {
        const std::size_t count = port().read(scratch, SerialPort::kAnswerGap);
        if (count == 0) break;
        discarded += count;
    }
    if (discarded > 0) logf("Discarded %zu bytes of a failed answer.", discarded);
}

void LXSerial::writeBlock(ByteSpan bytes, const BlockProgress& progress) {
    CRC8 crc;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        writeChar(crc.calc_crc(bytes[i]));
        if (progress && (i + 1) % kProgressStep == 0) progress(i + 1);
    }
    writeChar(crc.get_crc());
}

void LXSerial::writeString(std::string_view text) {
    writeBlock(ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace kelvo
