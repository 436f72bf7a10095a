#include "FuzzTargets.h"
#include "LoggerAccess/LX/LXTask.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"

namespace kelvo::fuzz {

// A task record as the declaration block holds it; the task read is written back, as a
// declaration write does.
int LXTaskRecord(const std::uint8_t* data, std::size_t size) {
    const LXTask record(ByteSpan(data, size), 0);
    record.inputDate();
    record.toString();
    for (std::size_t slot = 0; slot <= LXTask::kSlots; ++slot) record.turnpoint(slot);
    const std::shared_ptr<Task> task = record.task();
    const std::shared_ptr<Turnpoint> home = record.homePoint();
    if (task) LXTask().setTask(*task, home);
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(LXTaskRecord)
