// Arrays of the interpreter's whose every element access is bound-checked: host error 9.
#pragma once
#include <array>
#include <vector>

#include "platform/core/host_error.h"

template <typename T, long N>
struct CheckedArray {
  std::array<T, N> cells{};
  T& operator[](long index) {
    check_index(index, N);
    return cells[static_cast<size_t>(index)];
  }
  const T& operator[](long index) const {
    check_index(index, N);
    return cells[static_cast<size_t>(index)];
  }
  static constexpr long size() { return N; }
};

// The same for an array created at start-up rather than with the state.
template <typename T>
struct CheckedVector {
  std::vector<T> cells;
  T& operator[](long index) {
    check_index(index, size());
    return cells[static_cast<size_t>(index)];
  }
  long size() const { return static_cast<long>(cells.size()); }
};
