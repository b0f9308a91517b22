// What the board asks of its own process, each platform's in posix/ or win32/.
#pragma once

#include <optional>
#include <string>

namespace fiverow::board {

// Returns once a stop was requested (Ctrl-C, SIGTERM, the console closed)
// or the waits were interrupted.
void WaitForStop();

// Once the engines are ended and their folders removed: a closing console
// may end the process now.
void StopFinished();

// Opens `url` in the default browser, not waiting for it: why it cannot,
// or nothing when it was started.
std::optional<std::string> OpenInBrowser(const std::string& url);

// Whether the board was started on a console of its own, as a double click
// in Explorer starts it (Windows); such a player has no other way to the
// page. Never on POSIX.
bool StartedOnItsOwnConsole();

}  // namespace fiverow::board
