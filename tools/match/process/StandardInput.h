// The referee's standard input, for a person playing: a byte at a time, so
// that nothing after a line is taken from a script's input.
#pragma once

#include "process/Deadline.h"

namespace fiverow::match {

enum class InputByte { Byte, End, TimedOut };

// Waits for the next byte until the deadline. Throws Interrupted on a stop
// request (StopSignals.h).
InputByte ReadInputByte(Clock::time_point deadline, char& c);

bool InputIsTerminal();

}  // namespace fiverow::match
