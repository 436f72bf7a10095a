#include "LoggerAccess/SerialPort.h"

namespace kelvo {

std::size_t SerialPort::readFully(MutableByteSpan buffer, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + timeout;
    std::size_t total = 0;
    while (total < buffer.size()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) break;
        total += read(buffer.subspan(total), left);
    }
    return total;
}

std::size_t SerialPort::readAnswer(MutableByteSpan buffer, std::chrono::milliseconds firstByte,
                                   std::chrono::milliseconds gap) {
    std::size_t total = 0;
    while (total < buffer.size()) {
        const std::size_t count = read(buffer.subspan(total), total == 0 ? firstByte : gap);
        if (count == 0) break;
        total += count;
    }
    return total;
}

bool SerialPort::readByte(std::uint8_t& byte, std::chrono::milliseconds timeout) {
    return read(MutableByteSpan(&byte, 1), timeout) == 1;
}

int SerialPort::standardSpeedAtOrBelow(int baud) {
    constexpr int kStandardSpeeds[] = {230400, 115200, 57600, 38400, 19200, 9600, 4800, 2400,
                                       1800,   1200,   600,   300,   200,   150,   110};
    for (const int speed : kStandardSpeeds) {
        if (baud >= speed) return speed;
    }
    return 75;
}

}  // namespace kelvo
