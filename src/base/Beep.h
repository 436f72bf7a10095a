#pragma once

#include <functional>

namespace kelvo {

// The system beep that tells the user an action was refused. The core cannot sound one
// itself; the application installs its toolkit's beep, tests install a counter. Without a
// handler a beep does nothing. Safe to call from any thread.
using BeepHandler = std::function<void()>;

void beep();
// Installs the handler for every later beep; an empty handler silences them.
void setBeepHandler(BeepHandler handler);

}  // namespace kelvo
