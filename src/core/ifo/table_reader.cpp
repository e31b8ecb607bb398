#include "table_reader.h"

#include <utility>

#include "big_endian.h"

namespace kestrune::ifo {

TableError::TableError(std::string file, std::string table, std::string field, const std::string& text)
    : InvalidIfo(text), file_(std::move(file)), table_(std::move(table)), field_(std::move(field)) {}

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + digits;
}

TableReader::TableReader(const IfoImage& image, std::string file, std::string table, std::int64_t start,
                         std::int64_t length)
    : image_(&image), file_(std::move(file)), table_(std::move(table)), start_(start), length_(length),
      tableStart_(start), tableLength_(length) {
  if (!image.Contains(start, length))
    Fail("", "lies outside the file (" + std::to_string(length) + " bytes from byte " + std::to_string(start) +
                 " of " + std::to_string(image.Size()) + ")");
}

TableReader TableReader::Part(std::int64_t offset, std::int64_t length, const std::string& part,
                              const std::string& field) const {
  if (!Contains(offset, length))
    Fail(field, Hex(static_cast<std::uint64_t>(offset)) + " places " + part + " (" + std::to_string(length) +
                    " bytes) " + Outside(offset, length));
  TableReader inner = *this;
  inner.part_ = part_.empty() ? part : part_ + ": " + part;
  inner.start_ = start_ + offset;
  inner.length_ = length;
  return inner;
}

std::string TableReader::Outside(std::int64_t offset, std::int64_t length) const {
  const std::int64_t inTable = start_ - tableStart_ + offset;
  const bool pastTable = inTable < 0 || length < 0 || inTable > tableLength_ || tableLength_ - inTable < length;
  if (pastTable || part_.empty()) return "past the end of " + table_ + " (" + std::to_string(tableLength_) + " bytes)";
  return "outside " + part_ + " (" + std::to_string(length_) + " bytes)";
}

void TableReader::Require(std::int64_t offset, std::int64_t length, const char* field) const {
  if (!Contains(offset, length))
    Fail(field, "at offset " + Hex(static_cast<std::uint64_t>(offset)) + " lies " + Outside(offset, length));
}

std::uint8_t TableReader::Byte(std::int64_t offset, const char* field) const {
  Require(offset, 1, field);
  return image_->Data()[start_ + offset];
}

std::uint16_t TableReader::Word(std::int64_t offset, const char* field) const {
  Require(offset, 2, field);
  return GetBigEndian<std::uint16_t>(image_->Data() + start_ + offset);
}

std::uint32_t TableReader::DWord(std::int64_t offset, const char* field) const {
  Require(offset, 4, field);
  return GetBigEndian<std::uint32_t>(image_->Data() + start_ + offset);
}

void TableReader::Fail(const std::string& field, const std::string& what) const {
  // A reader without a file name (the engine's, which names the file itself)
  // starts its messages with the table.
  std::string text = file_.empty() ? table_ : file_ + ": " + table_;
  if (!part_.empty()) text += ": " + part_;
  std::string named = field;
  if (!named.empty()) text += ": " + named;
  text += " " + what;
  if (!part_.empty()) named = named.empty() ? part_ : part_ + " " + named;
  throw TableError(file_, table_, named, text);
}

}  // namespace kestrune::ifo
