// Whether a folder's DVD files fit on a recordable disc: a single-layer
// DVD-5 or a dual-layer DVD-9, each as many bytes as its 2048-byte sectors
// hold. (The file system written with the files takes some hundred sectors
// more; it is not counted here.)
#pragma once

#include <cstdint>

namespace kestrune::disc {

constexpr std::int64_t kDvd5Bytes = 4'700'372'992;  // 2,295,104 sectors
constexpr std::int64_t kDvd9Bytes = 8'543'666'176;  // 4,171,712 sectors

struct DiscFit {
  std::int64_t bytes = 0;
  bool dvd5 = false, dvd9 = false;      // fits
  std::int64_t overDvd5 = 0, overDvd9 = 0;  // bytes over the disc's size; 0 when it fits
  std::int64_t freeDvd5 = 0, freeDvd9 = 0;  // bytes left on the disc; 0 when it does not fit
};

constexpr DiscFit FitOf(std::int64_t bytes) {
  DiscFit fit;
  fit.bytes = bytes;
  fit.dvd5 = bytes <= kDvd5Bytes;
  fit.dvd9 = bytes <= kDvd9Bytes;
  fit.overDvd5 = fit.dvd5 ? 0 : bytes - kDvd5Bytes;
  fit.overDvd9 = fit.dvd9 ? 0 : bytes - kDvd9Bytes;
  fit.freeDvd5 = fit.dvd5 ? kDvd5Bytes - bytes : 0;
  fit.freeDvd9 = fit.dvd9 ? kDvd9Bytes - bytes : 0;
  return fit;
}

}  // namespace kestrune::disc
