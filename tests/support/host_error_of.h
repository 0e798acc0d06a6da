// Runs an operation and gives the number of the host error it raised, for tests of failures.
#pragma once
#include <cstdint>

#include "platform/core/host_error.h"

namespace {

// 0 when the operation raised no host error.
uint32_t host_error_of(auto&& operation) {
  try {
    operation();
  } catch (const HostError& error) {
    return error.code;
  }
  return 0;
}

}  // namespace
