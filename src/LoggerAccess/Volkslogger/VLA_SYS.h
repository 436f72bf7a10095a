#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "LoggerAccess/SerialPort.h"

namespace kelvo::vl {

// Result codes of the Volkslogger layers; 0 is success.
enum VLA_ERROR : int {
    VLA_ERR_NOERR = 0,
    VLA_ERR_FILE = 1,
    VLA_ERR_COMM = 2,
    VLA_ERR_MEM = 3,
    VLA_ERR_CRC = 4,
    VLA_ERR_NOCHAR = 5,
    VLA_ERR_NOANSWER = 6,
    VLA_ERR_BADFLIGHTID = 7,
    VLA_ERR_USERCANCELED = 8,
    VLA_ERR_BADCOMMAND = 9,
    VLA_ERR_NODATA = 10,
    VLA_ERR_NOFLIGHTS = 11,
    VLA_ERR_NOTOPENED = 12,
    VLA_ERR_TIMEOUT = 13,
    VLA_ERR_MISC = 14,
};

// Status texts shown while talking to the recorder.
enum VLS_TXT_ID : int {
    VLS_TXT_SENDCMD = 0,
    VLS_TXT_WTCMD = 1,
    VLS_TXT_XFERRING = 2,
    VLS_TXT_WDB = 3,
    VLS_TXT_UIRQ = 4,
    VLS_TXT_BADCRC = 5,
    VLS_TXT_NODATA = 6,
    VLS_TXT_USERBREAK = 7,
    VLS_TXT_CONNECT = 8,
    VLS_TXT_CONN_OK = 9,
    VLS_TXT_CONN_FL = 10,
    VLS_TXT_NIL = 11,
    VLS_TXT_NOFR = 12,
    VLS_TXT_WRONGFR = 13,
    VLS_TXT_FR_NORESPONSE = 14,
};

const char* statustext(VLS_TXT_ID id);

// The system layer of the Volkslogger link: the serial port in raw mode, byte I/O, pauses
// and status texts. A hang-up, interrupt, broken pipe or termination signal while the port
// is open restores its terminal attributes, writes "VolksLogger-Connection: releaseTTY(n)"
// and ends the process.
class VLA_SYS {
  public:
    // A terminal device unless another port is given (tests use an in-memory one).
    explicit VLA_SYS(std::unique_ptr<SerialPort> port = {});
    virtual ~VLA_SYS();  // closes a port left open
    VLA_SYS(const VLA_SYS&) = delete;
    VLA_SYS& operator=(const VLA_SYS&) = delete;

    // Path of the serial device, set before opening.
    std::string portName;
    // When set, status texts are not printed.
    bool noninteractive = true;

    // 0 when open (or already open) at 9600 baud; 2 when the device cannot be opened or
    // configured (portError() says why).
    int serial_open_port();
    int serial_close_port();
    // The largest standard rate not above the request (75 below 110); 0 changes nothing.
    int serial_set_baudrate(long rate);
    int serial_out(std::uint8_t byte);
    // One read that does not wait: 0 and the byte, 5 when none is waiting, 2 when closed.
    int serial_in(std::uint8_t* byte);
    int serial_empty_io_buffers();

    // Pauses go through the shared delay facility, so tests can shorten them.
    void wait_ms(long milliseconds);
    void show(VLS_TXT_ID id) const;
    void showwait(VLS_TXT_ID id) const;

    bool portIsOpen() const { return m_port->isOpen(); }
    // Why the port could not be opened, for the pilot.
    const std::string& portError() const { return m_port->lastError(); }

  private:
    std::unique_ptr<SerialPort> m_port;
};

// A time limit on the steady clock, shortened by the delay scale like every device wait;
// it has passed at once when the user asked to stop the operation.
class Deadline {
  public:
    // The limit shortened by the delay scale, but never below atLeast: a link's own time,
    // which no test makes shorter.
    explicit Deadline(std::chrono::milliseconds limit,
                      std::chrono::milliseconds atLeast = std::chrono::milliseconds(0));
    bool passed() const;

  private:
    std::chrono::steady_clock::time_point m_end;
};

}  // namespace kelvo::vl
