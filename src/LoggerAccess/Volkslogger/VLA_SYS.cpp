#include "LoggerAccess/Volkslogger/VLA_SYS.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <utility>

#include "LoggerAccess/TerminalPort.h"
#include "base/Cancellation.h"
#include "base/Delay.h"

namespace kelvo::vl {
namespace {

constexpr const char* kStatusTexts[] = {
    "sending command to FR",
    "command is being processed",
    "datatransfer in progress ... (press <Q> to abort)",
    "writing database & FDF to FR",
    "data transfer interrupted by user - press any key",
    "data transfer unsuccessful, try lower baudrate - press any key",
    "no data was received from FR - press any key",
    "user-interrupt !",
    "please connect the VOLKSLOGGER and press OK",
    "connection established - press OK",
    "connection not established - press OK",
    "intentionally left blank ...",
    "error: command not implemented",
    "error: you've the wrong FR connected",
    "error: no response from FR",
};

}  // namespace

const char* statustext(VLS_TXT_ID id) {
    return id >= 0 && id < static_cast<int>(std::size(kStatusTexts)) ? kStatusTexts[id] : "";
}

VLA_SYS::VLA_SYS(std::unique_ptr<SerialPort> port)
    : m_port(port ? std::move(port)
                  : std::make_unique<TerminalPort>(TerminalPort::SignalNotice{
                        "VolksLogger-Connection: releaseTTY(", ")"})) {}

VLA_SYS::~VLA_SYS() {
    if (portIsOpen()) serial_close_port();
}

int VLA_SYS::serial_open_port() {
    if (portIsOpen()) return VLA_ERR_NOERR;
    if (!m_port->open(portName)) return VLA_ERR_COMM;
    return serial_set_baudrate(9600);
}

int VLA_SYS::serial_close_port() {
    if (!portIsOpen()) return VLA_ERR_COMM;
    m_port->drain();
    m_port->close();
    wait_ms(200);
    return VLA_ERR_NOERR;
}

int VLA_SYS::serial_set_baudrate(long rate) {
    if (!portIsOpen()) return VLA_ERR_COMM;
    if (rate == 0) return VLA_ERR_NOERR;
    const int baud = static_cast<int>(std::clamp(rate, 0L, 115200L));
    return m_port->setSpeed(baud) ? VLA_ERR_NOERR : VLA_ERR_COMM;
}

int VLA_SYS::serial_out(std::uint8_t byte) {
    if (!portIsOpen()) return VLA_ERR_COMM;
    return m_port->writeByte(byte) ? VLA_ERR_NOERR : VLA_ERR_COMM;
}

int VLA_SYS::serial_in(std::uint8_t* byte) {
    if (!portIsOpen()) return VLA_ERR_COMM;
    return m_port->readByte(*byte, std::chrono::milliseconds(0)) ? VLA_ERR_NOERR : VLA_ERR_NOCHAR;
}

int VLA_SYS::serial_empty_io_buffers() {
    if (!portIsOpen()) return VLA_ERR_COMM;
    if (!m_port->flush(SerialPort::Queue::Both)) std::cerr << "\nERROR: could not empty buffer!\n";
    return VLA_ERR_NOERR;
}

void VLA_SYS::wait_ms(long milliseconds) {
    delayMilliseconds(milliseconds);
}

void VLA_SYS::show(VLS_TXT_ID id) const {
    if (!noninteractive && id != VLS_TXT_NIL) std::cout << statustext(id) << std::endl;
}

void VLA_SYS::showwait(VLS_TXT_ID id) const {
    if (!noninteractive) std::cout << statustext(id) << std::endl;
}

Deadline::Deadline(std::chrono::milliseconds limit, std::chrono::milliseconds atLeast)
    : m_end(std::chrono::steady_clock::now() + std::max(scaledTimeout(limit), atLeast)) {}

bool Deadline::passed() const {
    return std::chrono::steady_clock::now() >= m_end || cancellationRequested();
}

}  // namespace kelvo::vl
