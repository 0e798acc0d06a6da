// Host errors: the one exception type that carries a failed host operation's number.
#pragma once
#include <cstdint>

// A failed host operation. The interpreter's trampoline catches it once and reports it.
struct HostError {
  uint32_t code;
};

// The host's shut-down has begun (window closed, script used up, end of program):
// unwinds the program thread for good. Never caught by the interpreter.
struct HostShutdown {};

// Bound check of every element access to the interpreter's arrays.
inline void check_index(long index, long size) {
  if (index < 0 || index >= size) throw HostError{9};
}
