// A most-significant-bit-first writer for MPEG-2 system and video syntax,
// where fields are laid down bit by bit and start codes sit on byte
// boundaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kestrune {

class Mpeg2BitWriter {
 public:
  // Appends the low `count` bits of `value`, most significant first (count <= 32).
  void PutBits(std::uint32_t value, int count) {
    if (count < 0 || count > 32) throw std::logic_error("Mpeg2BitWriter: field wider than 32 bits");
    for (int bit = count - 1; bit >= 0; --bit) PutBit((value >> bit) & 1u);
  }
  void PutFlag(bool flag) { PutBit(flag ? 1u : 0u); }
  // The marker_bit of the syntax, always 1.
  void PutMarker() { PutBit(1u); }
  // Appends whole bytes (a payload or a table), fast when byte-aligned.
  void PutBytes(const std::vector<std::uint8_t>& data) {
    if (IsByteAligned()) {
      bytes_.insert(bytes_.end(), data.begin(), data.end());
    } else {
      for (const std::uint8_t byte : data) PutBits(byte, 8);
    }
  }
  void PutRepeatedByte(std::uint8_t byte, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) PutBits(byte, 8);
  }

  // Fills the current byte with zero bits (the stuffing of next_start_code()).
  void AlignWithZeros() {
    while (bitsInByte_ != 0) PutBit(0u);
  }
  // Byte-aligns with zero bits, then writes 00 00 01 and the start code value.
  void PutStartCode(std::uint8_t code) {
    AlignWithZeros();
    PutBits(0x000001u, 24);
    PutBits(code, 8);
  }

  bool IsByteAligned() const { return bitsInByte_ == 0; }
  // The bytes written so far; an unfinished last byte is not included.
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t> TakeBytes() {
    AlignWithZeros();
    return std::move(bytes_);
  }

 private:
  void PutBit(std::uint32_t bit) {
    current_ = static_cast<std::uint8_t>((current_ << 1) | bit);
    if (++bitsInByte_ == 8) {
      bytes_.push_back(current_);
      current_ = 0;
      bitsInByte_ = 0;
    }
  }

  std::vector<std::uint8_t> bytes_;
  std::uint8_t current_ = 0;
  int bitsInByte_ = 0;
};

}  // namespace kestrune
