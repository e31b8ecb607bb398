#include "ifo_image.h"

#include <gtest/gtest.h>

#include "big_endian.h"
#include "playback_time.h"

namespace kestrune {
namespace {

TEST(BigEndian, ReadsAndWritesHighByteFirst) {
  std::uint8_t b[4] = {};
  PutBigEndian<std::uint32_t>(b, 0x12345678u);
  EXPECT_EQ(b[0], 0x12);
  EXPECT_EQ(b[3], 0x78);
  EXPECT_EQ(GetBigEndian<std::uint32_t>(b), 0x12345678u);
  PutBigEndian<std::uint16_t>(b, 0xFFFE);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[1], 0xFE);
  EXPECT_EQ(GetBigEndian<std::uint16_t>(b), 0xFFFE);
}

TEST(IfoImage, RoundsUpToWholeSectorsWithZeros) {
  IfoImage image(std::vector<std::uint8_t>(2049, 0xAA));
  EXPECT_EQ(image.Size(), 4096);
  EXPECT_EQ(image.SectorCount(), 2);
  EXPECT_EQ(image.ReadByte(2048), 0xAA);
  EXPECT_EQ(image.ReadByte(2049), 0x00);
  EXPECT_EQ(IfoImage(std::vector<std::uint8_t>{}).Size(), 0);
}

TEST(IfoImage, RefusesEveryAccessThatLeavesTheImage) {
  IfoImage image(std::vector<std::uint8_t>(2048, 0));
  EXPECT_NO_THROW(image.ReadDWord(2044));
  EXPECT_THROW(image.ReadDWord(2045), InvalidIfo);
  EXPECT_THROW(image.ReadWord(2047), InvalidIfo);
  EXPECT_THROW(image.ReadByte(-1), InvalidIfo);
  EXPECT_THROW(image.WriteDWord(2046, 1), InvalidIfo);
  EXPECT_THROW(image.Fill(2000, 49, 0), InvalidIfo);
  EXPECT_THROW(image.MoveDown(2000, 0, 100), InvalidIfo);
  // Huge positions must not wrap around into the image.
  EXPECT_THROW(image.ReadByte(INT64_MAX), InvalidIfo);
  EXPECT_FALSE(image.Contains(10, INT64_MAX));
}

TEST(IfoImage, MovesOverlappingRangesDownIntact) {
  std::vector<std::uint8_t> bytes(4096);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  IfoImage image(bytes);
  image.MoveDown(100, 90, 50);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(image.ReadByte(90 + i), static_cast<std::uint8_t>(100 + i));
  EXPECT_THROW(image.MoveDown(90, 100, 10), InvalidIfo);
}

// The chain playback time of a blanked chain counts one frame per cell.
TEST(PlaybackTime, CountsFramesInBcdWithTheFrameRateFlag) {
  EXPECT_EQ(FramesAsPlaybackTime(1, true), kOneFramePal);
  EXPECT_EQ(FramesAsPlaybackTime(1, false), kOneFrameNtsc);
  EXPECT_EQ(FramesAsPlaybackTime(9, true), 0x49u);   // below 10 cells: the plain sum
  EXPECT_EQ(FramesAsPlaybackTime(9, false), 0xC9u);
  EXPECT_EQ(FramesAsPlaybackTime(10, true), 0x50u);  // BCD 10, not 0x4A
  EXPECT_EQ(FramesAsPlaybackTime(25, true), 0x00000140u);   // 00:00:01.00 at 25 fps
  EXPECT_EQ(FramesAsPlaybackTime(30, false), 0x000001C0u);  // 00:00:01.00 at 30 fps
  EXPECT_EQ(FramesAsPlaybackTime(64, true), 0x00000254u);   // 2 s 14 frames, still 25 fps
  EXPECT_EQ(FramesAsPlaybackTime(64, false), 0x000002C4u);  // 2 s 4 frames
  EXPECT_EQ(FramesAsPlaybackTime(200, true), 0x00000840u);  // 8 s 0 frames
  EXPECT_EQ(FramesAsPlaybackTime(0, true), 0x40u);
  EXPECT_EQ(FramesAsPlaybackTime(25 * 3661, true), 0x01010140u);  // 1 h 1 min 1 s
}

}  // namespace
}  // namespace kestrune
