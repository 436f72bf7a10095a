#pragma once

namespace kelvo {

// The user's wish to stop the device operation under way (the progress sheet's Cancel,
// Ctrl-C in the command-line tool). One flag for the process: one device operation runs at
// a time. While it is set, pauses and port reads return at once, so a transfer notices it
// within a fraction of a second; the driver clears it before it puts the recorder back in
// order and answers "cancelled". Async-signal-safe to request.
void requestCancellation();
bool cancellationRequested();
void clearCancellation();

}  // namespace kelvo
