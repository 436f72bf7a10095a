#include "LoggerAccess/Flarm/Message.h"

#include <utility>

namespace kelvo::flarm {

Message Message::request(std::uint8_t type, Bytes payload) {
    Message message;
    message.type = type;
    message.length = static_cast<std::uint16_t>(kHeaderSize + payload.size());
    message.data = std::move(payload);
    return message;
}

}  // namespace kelvo::flarm
