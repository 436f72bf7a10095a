#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "LoggerAccess/SerialPort.h"
#include "base/Bytes.h"

namespace kelvo {

// A thin object around one serial line: the device path, the port, and byte-level I/O with
// short time-outs. It does not open the device itself: a subclass overrides connect() and
// opens bsdName() through openPort(). One thread at a time talks over a port.
class HSSerialPort {
  public:
    // A terminal device unless another port is given (tests use an in-memory one).
    explicit HSSerialPort(std::unique_ptr<SerialPort> port = {});
    virtual ~HSSerialPort();  // closes the port (restoring its original attributes)
    HSSerialPort(const HSSerialPort&) = delete;
    HSSerialPort& operator=(const HSSerialPort&) = delete;

    const std::string& bsdName() const { return m_bsdName; }
    bool isOpen() const { return m_port->isOpen(); }
    // Why the port could not be opened, for the pilot.
    const std::string& lastError() const { return m_port->lastError(); }

    // Takes a new device path; refused (logged) while the port is open.
    void setDescriptor(const std::string& path);

    virtual bool connect();
    void closePort();

    // Sets the nearest supported speed at or below the request; 0 changes nothing. Only logs.
    void setBaudrate(int requested);
    // 4800..115200 when input and output run at that speed, 0 when neither is one of those,
    // -1 when they differ or the attributes cannot be read.
    int getBaudRate();

    // 1 when the byte was written or read, else 0; a read waits at most 0.1 s (the line
    // discipline of the recorder links), not shortened in tests.
    int writeChar(std::uint8_t byte);
    int readChar(std::uint8_t* byte);
    // Reads until size bytes came, the answer did not begin within the one-to-two-second
    // time-out, or it paused longer than SerialPort::kAnswerGap; a short count is the
    // caller's sign of a time-out or an error.
    int readBuffer(std::uint8_t* buffer, int size);
    // Reads until size bytes came, the timeout passed, or (with a quiet time) the line fell
    // quiet that long after the reply began: an answer is taken as soon as it is complete.
    // The count read.
    int readReply(std::uint8_t* buffer, int size, std::chrono::milliseconds timeout,
                  std::chrono::milliseconds quiet = std::chrono::milliseconds::max());

    void flushBuffers();
    void flushR();
    void flushX();
    void drainBuffers();

    // Appends bytes until the line stays quiet past two seconds; the count appended.
    int readData(Bytes* data);
    // Up to 2048 bytes, up to the first NUL.
    std::string readString();
    // Up to 4 bytes combined most significant first (unsigned).
    std::uint32_t readLong(int count);
    // Writes every byte of the text, then CR and LF when asked; the length of the text,
    // or 0 when a byte of the text could not be written.
    int writeCString(std::string_view text, bool withCR, bool withLF);

    static void delaySeconds(int seconds);
    static void delayMilliSeconds(int milliseconds);
    static void delayMicroSeconds(int microseconds);

    // Hex dump to the log: 16 bytes a row, hex digits then the printable characters.
    static void dumpBuffer(const std::uint8_t* bytes, std::size_t size);
    static void dumpData(const Bytes* data);
    static char firstNibbleFromByte(std::uint8_t byte);
    static char secondNibbleFromByte(std::uint8_t byte);

  protected:
    // Opens bsdName(); false (the reason in lastError()) when it is no serial port or busy.
    bool openPort();
    SerialPort& port() { return *m_port; }

  private:
    std::unique_ptr<SerialPort> m_port;
    std::string m_bsdName;
};

}  // namespace kelvo
