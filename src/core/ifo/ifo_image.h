// The in-memory copy of one information file (VIDEO_TS.IFO or VTS_nn_0.IFO),
// rounded up to whole 2048-byte sectors. Every access is checked against the
// image: a position outside it throws InvalidIfo instead of touching memory.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "sector.h"

namespace kestrune {

constexpr std::int64_t kMaxIfoSectors = 256;  // 512 KiB: larger IFOs are refused

// An information file whose fields point where they cannot: outside the
// image, across another table, or at a layout the rewrite cannot handle.
class InvalidIfo : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class IfoImage {
 public:
  IfoImage() = default;
  // Holds `fileBytes` followed by zeros up to the next sector boundary.
  explicit IfoImage(std::vector<std::uint8_t> fileBytes);

  std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
  std::int64_t SectorCount() const { return Size() / kSectorSize; }

  // True when bytes pos .. pos + length - 1 all lie inside the image.
  bool Contains(std::int64_t pos, std::int64_t length) const {
    return pos >= 0 && length >= 0 && pos <= Size() && Size() - pos >= length;
  }
  // Throws InvalidIfo naming `what` unless the range lies inside the image.
  void Require(std::int64_t pos, std::int64_t length, const char* what) const;

  std::uint8_t ReadByte(std::int64_t pos) const;
  std::uint16_t ReadWord(std::int64_t pos) const;
  std::uint32_t ReadDWord(std::int64_t pos) const;
  void WriteByte(std::int64_t pos, std::uint8_t value);
  void WriteWord(std::int64_t pos, std::uint16_t value);
  void WriteDWord(std::int64_t pos, std::uint32_t value);
  void Fill(std::int64_t pos, std::int64_t length, std::uint8_t value);
  // Copies `length` bytes from `from` to `to` in ascending order, the way
  // tables and chains move down inside the image (to <= from is safe).
  void MoveDown(std::int64_t from, std::int64_t to, std::int64_t length);

  const std::uint8_t* Data() const { return bytes_.data(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace kestrune
