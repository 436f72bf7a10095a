#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/Bytes.h"

namespace kelvo {

class Task;
class Turnpoint;
class Waypoint;

// The task half of the recorder's declaration block (230 bytes), kept byte for byte.
// Twelve point slots: home (marker 3), the task's points (1), landing (2); coordinates are
// big-endian counts of 1/60000 degree.
class LXTask {
  public:
    static constexpr std::size_t kSize = 230;
    static constexpr std::size_t kSlots = 12;
    // Home and landing take two slots.
    static constexpr std::size_t kMaxTaskPoints = kSlots - 2;
    // Characters of a point's name (its 9 bytes end with a NUL).
    static constexpr std::size_t kNameLength = 8;
    static std::size_t blockSize() { return kSize; }

    LXTask() = default;
    // Copies 230 bytes from the offset; what lies past the buffer stays 0.
    LXTask(ByteSpan data, std::size_t offset);

    void setData(ByteSpan data);
    const std::array<std::uint8_t, kSize>& nativeTask() const { return m_task; }
    Bytes data() const { return Bytes(m_task.begin(), m_task.end()); }

    std::uint8_t flag() const { return m_task[0]; }
    void setFlag(std::uint8_t flag) { m_task[0] = flag; }
    std::uint16_t taskID() const { return getU16BE(m_task, 11); }
    void setTaskID(std::uint16_t id) { putU16BE(m_task, 11, id); }
    // When the declaration was entered; nothing when the record names no real date.
    std::optional<std::chrono::sys_seconds> inputDate() const;
    void setInputDate(std::chrono::sys_seconds date);
    void setInputDateToNow();
    // Turnpoints between start and finish.
    std::int8_t numberOfTurnpoints() const { return static_cast<std::int8_t>(m_task[13]); }

    // The point of a slot; nothing for a slot past the task's landing point.
    std::shared_ptr<Turnpoint> turnpoint(std::size_t slot) const;
    void setTurnpoint(const Waypoint& point, std::size_t slot);
    std::shared_ptr<Turnpoint> homePoint() const { return turnpoint(0); }
    void setHomePoint(const Waypoint& home);
    std::shared_ptr<Task> task() const;
    // Home into slot 0, the points into the slots after it, home again as landing point.
    // Without a home the task's first point serves as home and landing. A task of more
    // than ten points keeps its first ten (logged).
    void setTask(const Task& task, const std::shared_ptr<Waypoint>& home);

    std::string toString() const;

  private:
    void setMarker(std::size_t slot, std::uint8_t marker);
    std::size_t slotCount() const;

    std::array<std::uint8_t, kSize> m_task{};
};

}  // namespace kelvo
