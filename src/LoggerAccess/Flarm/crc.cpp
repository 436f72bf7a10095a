#include "LoggerAccess/Flarm/crc.h"

#include "base/Crc16.h"

namespace kelvo::flarm {

void crc::update(std::uint8_t byte) {
    m_register = crc16Update(m_register, byte);
}

}  // namespace kelvo::flarm
