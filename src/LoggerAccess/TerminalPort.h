#pragma once

#include <chrono>
#include <string>

#include "LoggerAccess/SerialPort.h"

namespace kelvo {

// A serial port on a POSIX terminal device, the only code of Kelvo that sets terminal
// attributes.
//
// Opening is safe by construction: only a terminal character device is opened (without
// becoming the controlling terminal, without waiting for carrier), and it must answer as a
// terminal before a byte is written. The port is held exclusively (TIOCEXCL and an advisory
// lock), so a second program gets "in use" at once. Reads wait with poll() on their own
// deadline, whatever VMIN and VTIME say. The attributes found at opening are restored on
// close and, through one process-wide registry, when any signal ends the process whose
// default action is to end it (hang-up, interrupt, quit, a fault, termination, ...), unless
// the process handles or ignores that signal itself.
class TerminalPort : public SerialPort {
  public:
    // What the signal handler writes to standard error for this port before the process
    // ends: prefix, the signal number, suffix and a newline. No prefix: nothing is written.
    struct SignalNotice {
        const char* prefix = nullptr;
        const char* suffix = "";
    };

    TerminalPort() = default;
    explicit TerminalPort(SignalNotice notice) : m_notice(notice) {}
    ~TerminalPort() override;
    TerminalPort(const TerminalPort&) = delete;
    TerminalPort& operator=(const TerminalPort&) = delete;

    bool open(const std::string& path) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    bool setSpeed(int baud) override;
    int speed() const override;
    std::size_t write(ByteSpan bytes) override;
    std::size_t read(MutableByteSpan buffer, std::chrono::milliseconds timeout) override;
    bool flush(Queue queue) override;
    bool drain() override;

    int fileDescriptor() const { return m_fd; }

    // On: the first hang-up, interrupt, broken pipe or termination signal only requests
    // cancellation (base/Cancellation.h), so the operation can stop in order; a second one
    // ends the process as usual.
    static void cancelOnSignal(bool on);

  private:
    bool refuse(std::string reason, int fd);

    SignalNotice m_notice;
    int m_fd = -1;
    int m_registrySlot = -1;
};

}  // namespace kelvo
