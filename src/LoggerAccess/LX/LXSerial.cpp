#include "LoggerAccess/LX/LXSerial.h"

#include <utility>

#include "LoggerAccess/LX/CRC8.h"
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
    Bytes block;
    block.reserve(static_cast<std::size_t>(std::max(size, 0)));
    CRC8 crc;
    for (int i = 0; i <= size; ++i) {
        std::uint8_t byte = 0;
        if (readChar(&byte) != 1) break;
        crc.calc_crc(byte);
        if (i == size) break;  // the CRC byte
        block.push_back(byte);
        if (progress && block.size() % kProgressStep == 0) progress(block.size());
    }
    m_lastBlockOK = crc.get_crc() == 0 && static_cast<int>(block.size()) == size;
    if (crc.get_crc() == 0) {
        logf("ReadBlockWithSize (%d): CRC OK.", size);
    } else {
        logf("ReadBlockWithSize (%d): CRC mismatch (0x%x).", size, crc.get_crc());
    }
    return block;
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
