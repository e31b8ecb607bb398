#include "ifo_image.h"

#include <cstring>

#include "big_endian.h"

namespace kestrune {

IfoImage::IfoImage(std::vector<std::uint8_t> fileBytes) : bytes_(std::move(fileBytes)) {
  const auto rem = static_cast<std::int64_t>(bytes_.size()) % kSectorSize;
  if (rem != 0) bytes_.resize(bytes_.size() + static_cast<std::size_t>(kSectorSize - rem), 0);
}

void IfoImage::Require(std::int64_t pos, std::int64_t length, const char* what) const {
  if (!Contains(pos, length)) {
    throw InvalidIfo(std::string(what) + " lies outside the IFO (" + std::to_string(length) +
                     " bytes from byte " + std::to_string(pos) + " of " + std::to_string(Size()) + ")");
  }
}

std::uint8_t IfoImage::ReadByte(std::int64_t pos) const {
  Require(pos, 1, "A field");
  return bytes_[static_cast<std::size_t>(pos)];
}

std::uint16_t IfoImage::ReadWord(std::int64_t pos) const {
  Require(pos, 2, "A field");
  return GetBigEndian<std::uint16_t>(&bytes_[static_cast<std::size_t>(pos)]);
}

std::uint32_t IfoImage::ReadDWord(std::int64_t pos) const {
  Require(pos, 4, "A field");
  return GetBigEndian<std::uint32_t>(&bytes_[static_cast<std::size_t>(pos)]);
}

void IfoImage::WriteByte(std::int64_t pos, std::uint8_t value) {
  Require(pos, 1, "A field");
  bytes_[static_cast<std::size_t>(pos)] = value;
}

void IfoImage::WriteWord(std::int64_t pos, std::uint16_t value) {
  Require(pos, 2, "A field");
  PutBigEndian<std::uint16_t>(&bytes_[static_cast<std::size_t>(pos)], value);
}

void IfoImage::WriteDWord(std::int64_t pos, std::uint32_t value) {
  Require(pos, 4, "A field");
  PutBigEndian<std::uint32_t>(&bytes_[static_cast<std::size_t>(pos)], value);
}

void IfoImage::Fill(std::int64_t pos, std::int64_t length, std::uint8_t value) {
  Require(pos, length, "A cleared range");
  if (length > 0) std::memset(&bytes_[static_cast<std::size_t>(pos)], value, static_cast<std::size_t>(length));
}

void IfoImage::MoveDown(std::int64_t from, std::int64_t to, std::int64_t length) {
  Require(from, length, "A moved table or chain");
  Require(to, length, "The new place of a moved table or chain");
  if (to > from) throw InvalidIfo("A table or chain would move up");
  // Ascending byte order: with to <= from the source is read before it is overwritten.
  if (length > 0) std::memmove(&bytes_[static_cast<std::size_t>(to)], &bytes_[static_cast<std::size_t>(from)], static_cast<std::size_t>(length));
}

}  // namespace kestrune
