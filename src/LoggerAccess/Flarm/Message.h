#pragma once

#include <cstddef>
#include <cstdint>

#include "base/Bytes.h"

namespace kelvo::flarm {

// One binary frame of the Flarm protocol, unescaped.
struct Message {
    static constexpr std::size_t kHeaderSize = 8;
    // The largest frame a device sends, header included.
    static constexpr std::size_t kMaxSize = 550;

    std::uint16_t length = kHeaderSize;  // header plus payload
    std::uint8_t version = 1;
    std::uint16_t seq = 0;
    std::uint8_t type = 0;
    std::uint16_t crc = 0;
    Bytes data;  // payload, length - 8 bytes

    // A request of the given type and payload, with its length set.
    static Message request(std::uint8_t type, Bytes payload = {});
};

}  // namespace kelvo::flarm
