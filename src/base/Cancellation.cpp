#include "base/Cancellation.h"

#include <atomic>

namespace kelvo {
namespace {

std::atomic<bool> g_cancellationRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "requested from signal handlers");

}  // namespace

void requestCancellation() {
    g_cancellationRequested.store(true);
}

bool cancellationRequested() {
    return g_cancellationRequested.load();
}

void clearCancellation() {
    g_cancellationRequested.store(false);
}

}  // namespace kelvo
