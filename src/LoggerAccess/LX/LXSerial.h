#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "LoggerAccess/HSSerialPort.h"
#include "base/Bytes.h"

namespace kelvo {

// The serial line to an LX, SDI or Filser recorder: raw 8N1 without flow control, answers
// whose first byte comes within 0.1 s, and data blocks closed by a CRC-8 byte.
class LXSerial : public HSSerialPort {
  public:
    // Told the count of data bytes moved so far during a long block transfer.
    using BlockProgress = std::function<void(std::size_t bytes)>;

    // A terminal device unless another port is given.
    explicit LXSerial(std::unique_ptr<SerialPort> port = {});

    // Opens bsdName() (a terminal device only, held exclusively); the speed is left as
    // found. A hang-up, interrupt, broken pipe or termination then restores the port's
    // attributes, logs "LX-Logger-Connection: releaseTTY" with the signal and ends the
    // process.
    bool connect() override;

    // Reads n data bytes and their CRC byte (the first within 0.1 s, each further one within
    // SerialPort::kAnswerGap) and logs the CRC result. Answers the data bytes that arrived,
    // at most n, never fails: callers judge a block by its length or their own record checks.
    Bytes readBlockWithSize(int size, const BlockProgress& progress = {});
    // Discards what still comes until the line has been quiet for SerialPort::kAnswerGap,
    // so that the rest of a failed answer does not run into the next one.
    void awaitQuiet();
    // The last block read came whole and passed its CRC.
    bool lastBlockOK() const { return m_lastBlockOK; }
    // Writes the bytes and their CRC byte.
    void writeBlock(ByteSpan bytes, const BlockProgress& progress = {});
    void writeData(const Bytes& data) { writeBlock(data); }
    void writeString(std::string_view text);

  private:
    bool m_lastBlockOK = false;
};

}  // namespace kelvo
