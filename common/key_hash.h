// A running FNV-1a hash of the bytes an in-memory key is made from (what a kept picture or a
// kept path was drawn from): equal inputs give equal keys within one run of the program.
#pragma once
#include <cstddef>
#include <cstdint>

struct KeyHash {
  std::uint64_t h = 1469598103934665603ull;
  KeyHash& bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    return *this;
  }
  template <class T>
  KeyHash& add(const T& v) {
    return bytes(&v, sizeof v);
  }
};
