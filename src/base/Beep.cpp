#include "base/Beep.h"

#include <mutex>

namespace kelvo {
namespace {

std::mutex& handlerMutex() {
    static std::mutex mutex;
    return mutex;
}

BeepHandler& currentHandler() {
    static BeepHandler handler;
    return handler;
}

}  // namespace

void beep() {
    std::lock_guard lock(handlerMutex());
    if (currentHandler()) currentHandler()();
}

void setBeepHandler(BeepHandler handler) {
    std::lock_guard lock(handlerMutex());
    currentHandler() = std::move(handler);
}

}  // namespace kelvo
