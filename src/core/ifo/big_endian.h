// Big-endian integer fields, the byte order of every multi-byte IFO field.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrune {

template <typename T>
constexpr T GetBigEndian(const std::uint8_t* p) {
  T value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value = static_cast<T>((value << 8) | p[i]);
  return value;
}

template <typename T>
constexpr void PutBigEndian(std::uint8_t* p, T value) {
  for (std::size_t i = sizeof(T); i-- > 0;) {
    p[i] = static_cast<std::uint8_t>(value & 0xFF);
    value = static_cast<T>(value >> 8);
  }
}

}  // namespace kestrune
