#pragma once

#include <string>
#include <utility>

namespace kelvo {

// How a recorder operation ended: success, a failure with one line a pilot understands
// ("no answer from the recorder", "/dev/ttyUSB0 is in use by another program"), or
// cancelled by the user. A failed read is never an empty success; the log keeps the detail.
class Outcome {
  public:
    enum class Kind { Success, Failure, Cancelled };

    Outcome() = default;  // success
    static Outcome success() { return {}; }
    // A success with what a pilot should be told of it ("waypoints and routes written and
    // verified").
    static Outcome success(std::string note) {
        Outcome outcome;
        outcome.m_note = std::move(note);
        return outcome;
    }
    static Outcome failure(std::string reason) { return Outcome(Kind::Failure, std::move(reason)); }
    // A failure that trying again cannot mend, such as a port that is no serial port.
    static Outcome refusal(std::string reason) {
        Outcome outcome(Kind::Failure, std::move(reason));
        outcome.m_retryable = false;
        return outcome;
    }
    static Outcome cancelled() { return Outcome(Kind::Cancelled, "cancelled"); }

    Kind kind() const { return m_kind; }
    bool ok() const { return m_kind == Kind::Success; }
    explicit operator bool() const { return ok(); }
    // Empty on success.
    const std::string& reason() const { return m_reason; }
    // What a success says besides that it succeeded; often empty.
    const std::string& note() const { return m_note; }
    bool retryable() const { return m_kind == Kind::Failure && m_retryable; }

  private:
    Outcome(Kind kind, std::string reason) : m_kind(kind), m_reason(std::move(reason)) {}

    Kind m_kind = Kind::Success;
    std::string m_reason;
    std::string m_note;
    bool m_retryable = true;
};

}  // namespace kelvo
