// A bounds-checked window on one table of an IFO image (or on a part of a
// table: a PGC, a PGCI_LU). Offsets are from the window's first byte. A field
// outside the window throws TableError, whose message names the file, the
// table, the part and the field, so a damaged table is reported in the DVD's
// own terms instead of as a byte position.
#pragma once

#include <cstdint>
#include <string>

#include "ifo_problem.h"
#include "ifo_image.h"

namespace kestrune::ifo {

// A field of a table that lies outside it or holds a value the table's
// layout cannot have.
class TableError : public InvalidIfo {
 public:
  TableError(std::string file, std::string table, std::string field, const std::string& text);
  const std::string& File() const { return file_; }
  const std::string& Table() const { return table_; }
  const std::string& Field() const { return field_; }
  Problem AsProblem() const { return {file_, table_, field_, what()}; }

 private:
  std::string file_, table_, field_;
};

class TableReader {
 public:
  // The `length` bytes from image offset `start`, named `table` in `file`.
  // Throws TableError unless they lie inside the image.
  TableReader(const IfoImage& image, std::string file, std::string table, std::int64_t start, std::int64_t length);

  // Bytes `offset` .. `offset + length - 1` of this window as a window of
  // their own, named `part` in messages ("PGC 3"). Throws TableError naming
  // `field` (the field that gave the offset) unless they lie inside this one.
  TableReader Part(std::int64_t offset, std::int64_t length, const std::string& part, const std::string& field) const;

  std::int64_t Start() const { return start_; }  // image offset of the first byte
  std::int64_t Length() const { return length_; }
  // True when bytes offset .. offset + length - 1 lie inside the window.
  bool Contains(std::int64_t offset, std::int64_t length) const {
    return offset >= 0 && length >= 0 && offset <= length_ && length_ - offset >= length;
  }

  std::uint8_t Byte(std::int64_t offset, const char* field) const;
  std::uint16_t Word(std::int64_t offset, const char* field) const;
  std::uint32_t DWord(std::int64_t offset, const char* field) const;

  // Throws TableError for `field` of this window with `what` said of it.
  [[noreturn]] void Fail(const std::string& field, const std::string& what) const;
  const std::string& File() const { return file_; }
  const std::string& Table() const { return table_; }

 private:
  void Require(std::int64_t offset, std::int64_t length, const char* field) const;
  // What a range that does not fit runs out of: the whole table when it
  // runs past the table's end, else this part of it.
  std::string Outside(std::int64_t offset, std::int64_t length) const;

  const IfoImage* image_;
  std::string file_, table_, part_;
  std::int64_t start_, length_;
  std::int64_t tableStart_, tableLength_;  // of the whole table, for a part
};

// Runs `read`; a TableError it throws becomes a problem, so the tables after
// a damaged one are still read.
template <typename Read>
void ReadGuarded(Problems& problems, Read&& read) {
  try {
    read();
  } catch (const TableError& e) {
    problems.push_back(e.AsProblem());
  }
}

// "0x1A2B": how offsets and end addresses appear in messages.
std::string Hex(std::uint64_t value);

}  // namespace kestrune::ifo
