#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Bytes.h"

namespace kelvo {

// A thin object around one POSIX serial device: the path, the open descriptor, the terminal
// attributes found at opening and those in force, and byte-level I/O with short time-outs.
// It does not open the device itself: a subclass overrides connect() to open bsdName() and
// set its line discipline (raw mode, VMIN 0 / VTIME 1 so a read waits at most 0.1 s).
// One thread at a time talks over a port.
class HSSerialPort {
  public:
    HSSerialPort() = default;
    virtual ~HSSerialPort();  // closes the port (restoring its original attributes)
    HSSerialPort(const HSSerialPort&) = delete;
    HSSerialPort& operator=(const HSSerialPort&) = delete;

    const std::string& bsdName() const { return m_bsdName; }
    int fileDescriptor() const { return m_fileDescriptor; }

    // Takes a new device path; refused (logged) while the port is open.
    void setDescriptor(const std::string& path);

    virtual bool connect();
    void closePort();

    // Sets the nearest supported speed at or below the request; 0 changes nothing. Only logs.
    void setBaudrate(int requested);
    // 4800..115200 when input and output run at that speed, 0 when neither is one of those,
    // -1 when they differ or the attributes cannot be read.
    int getBaudRate();

    // Bytes written or read by one system call: 1, 0 or -1; 0 on a closed port.
    int writeChar(std::uint8_t byte);
    int readChar(std::uint8_t* byte);
    // Reads until size bytes came or the one-to-two-second time-out passed; a short count
    // is the caller's sign of a time-out or an error.
    int readBuffer(std::uint8_t* buffer, int size);

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
    int m_fileDescriptor = -1;
    termios m_originalTTYAttrs{};
    termios m_currentTTYAttrs{};

  private:
    std::string m_bsdName;
};

}  // namespace kelvo
