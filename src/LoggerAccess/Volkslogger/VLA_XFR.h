#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "LoggerAccess/Volkslogger/VLA_SYS.h"

namespace kelvo::vl {

// The Volkslogger transfer protocol: wake-up handshake, CRC-checked command frames, framed
// block reception with DLE stuffing, bulk reads at the data line speed and the database
// upload. Commands, the handshake and small replies run at 9600 baud.
class VLA_XFR : public VLA_SYS {
  public:
    static constexpr long commandbaud = 9600;
    // A recorder that stays silent this long while a block or an acknowledgement is due
    // ends the transfer with result 13.
    static constexpr std::chrono::seconds kSilenceLimit{20};
    // readlog's answer when the recorder fell silent.
    static constexpr long kSilent = -2;

    enum Command : std::uint8_t {
        cmd_INFO = 0,
        cmd_DIR = 1,
        cmd_GFL = 2,  // read flight
        cmd_GFS = 3,  // read flight, secure
        cmd_RDB = 4,  // read database image
        cmd_CFL = 6,  // clear flight memory
        cmd_PDB = 7,  // write database image
        cmd_SIG = 8,  // read the signature of the flight just read
        cmd_BYE = 12,
    };

    // Called during block reads and the database upload with the bytes moved so far and
    // the total when it is known (else 0).
    using ProgressFunction = std::function<void(long done, long total)>;
    void set_progress(ProgressFunction progress) { m_progress = std::move(progress); }

    // Stores the data line speed and the index that tells the recorder to use it.
    void set_databaud(long rate);
    long databaud() const { return m_databaud; }
    int databaudindex() const { return m_databaudindex; }

    // The recorder's reply byte: 0 accepted, 1 not implemented, 2 wrong recorder, 0xFF no
    // reply within 4 seconds.
    int sendcommand(std::uint8_t cmd, std::uint8_t param1, std::uint8_t param2);
    // 0, 6 (no 'L' in time, or a byte other than 'L') or 13 (deadline passed while counting).
    int connect(std::chrono::milliseconds wait, int quiet);
    // Payload length (the CRC bytes are not counted and the buffer holds at most
    // maxLength bytes), 0 for an empty block, -1 for a CRC error or a runaway block,
    // kSilent when the recorder fell silent.
    long readlog(std::uint8_t* buffer, long maxLength);

    int readinfo(std::uint8_t* buffer, long maxLength);
    int readdir(std::uint8_t* buffer, long maxLength);
    // The flight data followed by its signature block: their total length, or 0.
    long flightget(std::uint8_t* buffer, long maxLength, int flightNumber, int secure);
    int dbbget(std::uint8_t* buffer, long maxLength);
    int dbbput(const std::uint8_t* buffer, long length);

  protected:
    // Whether the last readlog or acknowledgement wait ended in silence.
    bool m_lastTransferSilent = false;

  private:
    // Polls for one byte until the recorder has been silent for the silence limit,
    // soliciting with ACK between polls when asked. Inside an answer that has begun the
    // limit is never shorter than the gap a slow link may leave (SerialPort::kAnswerGap).
    bool awaitByte(std::uint8_t* byte, bool solicit, bool answerBegun = false);
    void reportProgress(long done) const;

    ProgressFunction m_progress;
    long m_progressTotal = 0;
    long m_progressBase = 0;  // bytes of the operation moved before the current block

    long m_databaud = 115200;
    int m_databaudindex = 5;
};

}  // namespace kelvo::vl
