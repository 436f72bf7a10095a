#include "base/ConsoleOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

namespace kelvo {

// Writes everything to a descriptor, flushing at each std::flush / std::endl.
class ConsoleOutput::DescriptorBuffer : public std::streambuf {
  public:
    explicit DescriptorBuffer(int descriptor) : m_descriptor(descriptor) {}
    ~DescriptorBuffer() override { sync(); }

  protected:
    int_type overflow(int_type character) override {
        if (character != traits_type::eof())
            m_pending.push_back(traits_type::to_char_type(character));
        return traits_type::not_eof(character);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        m_pending.append(text, static_cast<std::size_t>(count));
        return count;
    }

    int sync() override {
        std::size_t done = 0;
        while (done < m_pending.size()) {
            const ssize_t written =
                ::write(m_descriptor, m_pending.data() + done, m_pending.size() - done);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) break;
            done += static_cast<std::size_t>(written);
        }
        m_pending.clear();
        return 0;
    }

  private:
    int m_descriptor;
    std::string m_pending;
};

ConsoleOutput::ConsoleOutput(bool verbose) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    m_savedOut = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    m_savedErr = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    m_outBuffer = std::make_unique<DescriptorBuffer>(m_savedOut);
    m_errBuffer = std::make_unique<DescriptorBuffer>(m_savedErr);
    m_out = std::make_unique<std::ostream>(m_outBuffer.get());
    m_err = std::make_unique<std::ostream>(m_errBuffer.get());
    if (verbose) {
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
        return;
    }
    const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nothing < 0) return;
    ::dup2(nothing, STDOUT_FILENO);
    ::dup2(nothing, STDERR_FILENO);
    ::close(nothing);
}

ConsoleOutput::~ConsoleOutput() {
    m_out->flush();
    m_err->flush();
    std::fflush(nullptr);
    ::dup2(m_savedOut, STDOUT_FILENO);
    ::dup2(m_savedErr, STDERR_FILENO);
    m_out.reset();
    m_err.reset();
    m_outBuffer.reset();
    m_errBuffer.reset();
    ::close(m_savedOut);
    ::close(m_savedErr);
}

}  // namespace kelvo
