// The folders the benchmarks run on: copies of authored VIDEO_TS folders whose
// title video is grown into large sparse files, so that a copy of the folder
// costs what a real disc's would in files and sizes but not in disk space.
#pragma once

#include <cstdint>
#include <string>

namespace kestrune::bench {

constexpr std::int64_t kVobFileLimit = std::int64_t{1} << 30;  // a disc's VOB files hold at most 1 GiB

// Copies the files of `from` (a VIDEO_TS folder: no subfolders) into the new
// folder `to`, keeping the holes of sparse files as holes.
void CopyFolderSparse(const std::string& from, const std::string& to);

// Removes a folder of files and, if present, the folder itself.
void RemoveFolder(const std::string& dir);

// Grows the title video of every title set of `videoTs` to `bytesPerSet`
// (whole sectors): VTS_nn_1.VOB is filled up to 1 GiB with a hole after its
// authored video, and VTS_nn_2.VOB onwards hold the rest as holes. The last
// sector of each title set (VTSI_MAT 0x0C) and the start sectors of the
// titles in VIDEO_TS.IFO (TT_SRPT) are moved to match, in the IFOs and BUPs,
// so the folder stays a consistent disc. The authored title video of each set
// must be in VTS_nn_1.VOB alone. Returns the number of title sets grown.
int GrowTitleVideo(const std::string& videoTs, std::int64_t bytesPerSet);

// Writes data into every hole of the VOB files of `videoTs`, so that the
// folder takes on disk what its files hold and reading or copying it costs
// what a real disc's would (the image benchmarks: genisoimage and cp read
// holes as nothing). The data is pseudo-random, the same on every run; the
// authored video before the holes is left as it is. Returns the bytes written.
std::int64_t FillHoles(const std::string& videoTs);

}  // namespace kestrune::bench
