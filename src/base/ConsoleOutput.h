#pragma once

#include <memory>
#include <ostream>

namespace kelvo {

// Keeps a command-line tool's results apart from the diagnostics that device layers print
// to standard output or standard error themselves: the tool writes through out() and
// err(), which reach the original descriptors, while descriptors 1 and 2 are pointed at
// /dev/null, or both at standard error when verbose. Restores them when it goes.
class ConsoleOutput {
  public:
    explicit ConsoleOutput(bool verbose);
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    std::ostream& out() { return *m_out; }
    std::ostream& err() { return *m_err; }

  private:
    class DescriptorBuffer;

    int m_savedOut = -1;
    int m_savedErr = -1;
    std::unique_ptr<DescriptorBuffer> m_outBuffer;
    std::unique_ptr<DescriptorBuffer> m_errBuffer;
    std::unique_ptr<std::ostream> m_out;
    std::unique_ptr<std::ostream> m_err;
};

}  // namespace kelvo
