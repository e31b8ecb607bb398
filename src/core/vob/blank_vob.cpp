#include "blank_vob.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "big_endian.h"
#include "ifo_image.h"
#include "mpeg2_bit_writer.h"
#include "nav_pack.h"

namespace kestrune {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSectorBytes = static_cast<std::size_t>(kSectorSize);
constexpr int kFirstVideoSector = 1;
constexpr int kSectorCount = static_cast<int>(kBlankVobSectors);
static_assert(kBlankVobSize == kBlankVobSectors * kSectorSize);

// ---------------------------------------------------------------------------
// MPEG-2 program stream: packs, system header and PES packets.

constexpr std::uint8_t kPackStartCode = 0xBA;
constexpr std::uint8_t kSystemHeaderStartCode = 0xBB;
constexpr std::uint8_t kPrivateStream1Id = 0xBD;  // AC-3, DTS, LPCM, sub-pictures
constexpr std::uint8_t kPaddingStreamId = 0xBE;
constexpr std::uint8_t kPrivateStream2Id = 0xBF;  // PCI and DSI
constexpr std::uint8_t kAllAudioStreamsId = 0xB8;
constexpr std::uint8_t kAllVideoStreamsId = 0xB9;
constexpr std::uint8_t kVideoStreamId = 0xE0;

constexpr std::size_t kPackHeaderSize = 14;  // MPEG-2 form without pack stuffing
constexpr std::size_t kPesPrefixSize = 6;    // 00 00 01, stream_id, PES_packet_length
constexpr std::size_t kPesFlagBytes = 3;     // two flag bytes and PES_header_data_length

constexpr std::uint32_t kProgramMuxRate = 25200;  // in 50 bytes/s: 10.08 Mbit/s
constexpr std::uint64_t kMuxBytesPerSecond = kProgramMuxRate * 50ull;
constexpr std::uint64_t kSystemClockHz = 27000000;
constexpr std::uint64_t kScrExtensionModulus = 300;  // 27 MHz ticks per 90 kHz tick

// System header of the NAV pack: the buffer bounds a DVD player provides.
struct SystemHeaderStream {
  std::uint8_t streamId;
  std::uint8_t bufferBoundScale;  // 0: units of 128 bytes, 1: units of 1024 bytes
  std::uint16_t bufferSizeBound;
};
constexpr std::array<SystemHeaderStream, 4> kSystemHeaderStreams{{
    {kAllVideoStreamsId, 1, 232},  // 237,568 bytes
    {kAllAudioStreamsId, 0, 32},   // 4,096 bytes
    {kPrivateStream1Id, 1, 58},    // 59,392 bytes
    {kPrivateStream2Id, 1, 2},     // 2,048 bytes
}};
constexpr std::size_t kSystemHeaderSize = 12 + 3 * kSystemHeaderStreams.size();

// Video PES packets. The first one carries PTS, DTS and the P-STD buffer size.
constexpr std::uint8_t kPesFlagsOriginal = 0x81;        // '10' marker, original_or_copy
constexpr std::uint8_t kPesFlagsPtsDtsExtension = 0xC1;  // PTS_DTS_flags 11, PES_extension_flag
constexpr std::uint8_t kPesFlagsNone = 0x00;
constexpr std::uint8_t kPesExtensionPStdOnly = 0x1E;  // P-STD_buffer_flag and the reserved 111
constexpr std::uint8_t kPtsBeforeDtsPrefix = 0x3;  // '0011': a PTS with a DTS after it
constexpr std::uint8_t kDtsPrefix = 0x1;           // '0001'
constexpr std::uint8_t kVideoPStdBufferScale = 1;        // units of 1024 bytes
constexpr std::uint16_t kVideoPStdBufferSize = 232;
constexpr std::size_t kTimeStampedHeaderDataLength = 13;  // PTS 5, DTS 5, extension 1 + 2
constexpr std::uint8_t kStuffingByte = 0xFF;

// ---------------------------------------------------------------------------
// NAV pack: PCI and DSI in private stream 2 packets at fixed places.

constexpr std::size_t kPciPacketPos = 0x026;
constexpr std::size_t kDsiPacketPos = 0x400;
constexpr std::uint16_t kPciPacketLength = 980;
constexpr std::uint16_t kDsiPacketLength = 1018;
constexpr std::uint8_t kPciSubstream = 0x00;
constexpr std::uint8_t kDsiSubstream = 0x01;
constexpr std::size_t kPciSize = kPciPacketLength - 1u;  // after the sub-stream byte
constexpr std::size_t kDsiSize = kDsiPacketLength - 1u;
constexpr std::size_t kDsiPos = kDsiPacketPos + kPesPrefixSize + 1;
static_assert(kPciPacketPos == kPackHeaderSize + kSystemHeaderSize);
static_assert(kPciPacketPos == nav::kPciPacket && kDsiPacketPos == nav::kDsiPacket && kDsiPos == nav::kDsi);
static_assert(kDsiPacketPos == kPciPacketPos + kPesPrefixSize + kPciPacketLength);
static_assert(kSectorBytes == kDsiPacketPos + kPesPrefixSize + kDsiPacketLength);

// PCI and DSI fields, counted from the first byte after the sub-stream byte
// (nav_pack.h says where each lies).
constexpr std::size_t kPciVobuSPtm = nav::kPciVobuSPtm;
constexpr std::size_t kPciVobuEPtm = nav::kPciVobuEPtm;
constexpr std::size_t kPciVobuSeEPtm = nav::kPciVobuSeEPtm;
constexpr std::size_t kPciCElTm = nav::kPciCElTm;
constexpr std::size_t kDsiVobuEa = nav::kDsiVobuEa;
constexpr std::size_t kDsiVobu1stRefEa = nav::kDsiFirstRefEa;
constexpr std::size_t kDsiVobuVobIdn = nav::kDsiVobIdn;
constexpr std::size_t kDsiVobuCIdn = nav::kDsiCellIdn;
constexpr std::size_t kDsiCElTm = nav::kDsiCElTm;
constexpr std::size_t kDsiVobVSPtm = nav::kSmlPbiVobVSPtm;
constexpr std::size_t kDsiVobVEPtm = nav::kSmlPbiVobVEPtm;
constexpr std::size_t kDsiVobuSri = nav::kVobuSri;
constexpr std::size_t kVobuSriEntries = nav::kVobuSriEntries;
// No further VOBU in the cell; the video VOBU entries also set bit 31 (video present).
constexpr std::uint32_t kSriEndOfCell = nav::kSriEndOfCell;
constexpr std::uint32_t kSriVideoEndOfCell = nav::kSriVideoEndOfCell;

constexpr std::uint16_t kBlankVobId = 1;
constexpr std::uint8_t kBlankCellId = 1;
constexpr std::uint32_t kBlankVobuEndSector = kSectorCount - 1;

// ---------------------------------------------------------------------------
// MPEG-2 video elementary stream.

constexpr std::uint8_t kPictureStartCode = 0x00;
constexpr std::uint8_t kSequenceHeaderCode = 0xB3;
constexpr std::uint8_t kExtensionStartCode = 0xB5;
constexpr std::uint8_t kSequenceEndCode = 0xB7;
constexpr std::uint8_t kGroupStartCode = 0xB8;
constexpr std::uint8_t kSequenceExtensionId = 1;
constexpr std::uint8_t kSequenceDisplayExtensionId = 2;
constexpr std::uint8_t kPictureCodingExtensionId = 8;

constexpr std::uint16_t kPictureWidth = 720;
constexpr int kMacroblockSize = 16;
constexpr int kMacroblocksPerRow = kPictureWidth / kMacroblockSize;
constexpr std::uint8_t kAspect4By3 = 2;
constexpr std::uint8_t kAspect16By9 = 3;
constexpr std::uint32_t kBitRateValue = 20000;       // 400 bit/s units: 8 Mbit/s
constexpr std::uint32_t kVbvBufferSizeValue = 112;   // 16 kbit units
constexpr std::uint8_t kMainProfileMainLevel = 0x48;
constexpr std::uint8_t kChromaFormat420 = 1;
constexpr std::uint8_t kIntraCodedPicture = 1;
constexpr std::uint16_t kVbvDelayVariableRate = 0xFFFF;
constexpr std::uint8_t kUnusedFCode = 15;  // no motion vectors in an I picture
constexpr std::uint8_t kFramePicture = 3;
constexpr std::uint8_t kQuantiserMatrixDc = 8;
constexpr std::uint8_t kQuantiserMatrixAc = 4;
constexpr int kQuantiserMatrixSize = 64;
constexpr std::uint8_t kVideoFormatPal = 1;
constexpr std::uint8_t kColourBt470BG = 5;  // primaries, transfer and matrix of 625-line video

// Slices: only intra DC coefficients at 10-bit precision, so a flat 8x8 block
// of sample value v has the quantised DC 8 * v / intra_dc_mult (2 at 10 bits).
constexpr std::uint8_t kIntraDcPrecision10Bits = 2;
constexpr int kIntraDcMult = 2;
constexpr int kDcPredictorReset = 1 << (7 + kIntraDcPrecision10Bits);  // mid-grey, 128 × 4
constexpr int kBlackLumaDc = 8 * 16 / kIntraDcMult;                    // Y = 16
constexpr int kNeutralChromaDc = 8 * 128 / kIntraDcMult;               // Cb = Cr = 128
// Scales AC coefficients only, and there are none; any nonzero code will do.
constexpr std::uint8_t kSliceQuantiserScaleCode = 1;
constexpr int kLumaBlocksPerMacroblock = 4;

struct VlcCode {
  std::uint16_t bits;
  int length;
};
// dct_dc_size_luminance and dct_dc_size_chrominance by size 0 to 11.
constexpr std::array<VlcCode, 12> kDcSizeLuminance{{{0b100, 3}, {0b00, 2}, {0b01, 2}, {0b101, 3},
                                                    {0b110, 3}, {0b1110, 4}, {0b11110, 5},
                                                    {0b111110, 6}, {0b1111110, 7}, {0b11111110, 8},
                                                    {0b111111110, 9}, {0b111111111, 9}}};
constexpr std::array<VlcCode, 12> kDcSizeChrominance{{{0b00, 2}, {0b01, 2}, {0b10, 2}, {0b110, 3},
                                                      {0b1110, 4}, {0b11110, 5}, {0b111110, 6},
                                                      {0b1111110, 7}, {0b11111110, 8},
                                                      {0b111111110, 9}, {0b1111111110, 10},
                                                      {0b1111111111, 10}}};
constexpr VlcCode kEndOfBlockTableZero{0b10, 2};  // intra_vlc_format 0
constexpr VlcCode kEndOfBlockTableOne{0b0110, 4};  // intra_vlc_format 1
constexpr VlcCode kAddressIncrementOne{0b1, 1};
constexpr VlcCode kMacroblockTypeIntra{0b1, 1};  // I picture, intra without quantiser_scale_code

// ---------------------------------------------------------------------------
// What differs between 525/60 and 625/50.

struct TvSystem {
  std::uint16_t lines;
  std::uint8_t frameRateCode;
  std::uint32_t framePeriod;      // 90 kHz ticks
  std::uint32_t pts;              // of the one picture; also VOBU_S_PTM
  std::uint32_t vobuEndAfterPts;  // VOBU_E_PTM - VOBU_S_PTM
  std::uint32_t cellElapsedTime;  // C_ELTM: 00:00:00, frame 0, frame-rate flag
  bool loadQuantiserMatrices;
  bool sequenceDisplayExtension;
  bool framePredFrameDct;
  bool qScaleType;
  bool intraVlcFormat;
  bool alternateScan;
  bool chroma420Type;
  bool progressiveFrame;
  std::size_t authoredStreamLength;  // the stream length the images' packet sizes rest on
};

constexpr TvSystem k525Lines60Hz{.lines = 480,
                                 .frameRateCode = 4,  // 30000/1001
                                 .framePeriod = 3003,
                                 .pts = 21021,
                                 .vobuEndAfterPts = 36036,
                                 .cellElapsedTime = 0xC0,  // 30 fps flag
                                 .loadQuantiserMatrices = false,
                                 .sequenceDisplayExtension = false,
                                 .framePredFrameDct = false,
                                 .qScaleType = true,
                                 .intraVlcFormat = true,
                                 .alternateScan = true,
                                 .chroma420Type = false,
                                 .progressiveFrame = false,
                                 .authoredStreamLength = 7614};
constexpr TvSystem k625Lines50Hz{.lines = 576,
                                 .frameRateCode = 3,  // 25
                                 .framePeriod = 3600,
                                 .pts = 25200,
                                 .vobuEndAfterPts = 54000,
                                 .cellElapsedTime = 0x40,  // 25 fps flag
                                 .loadQuantiserMatrices = true,
                                 .sequenceDisplayExtension = true,
                                 .framePredFrameDct = true,
                                 .qScaleType = false,
                                 .intraVlcFormat = false,
                                 .alternateScan = false,
                                 .chroma420Type = true,
                                 .progressiveFrame = true,
                                 .authoredStreamLength = 6529};

const TvSystem& TvSystemFor(bool pal) { return pal ? k625Lines50Hz : k525Lines60Hz; }

// ---------------------------------------------------------------------------
// Program stream writing.

// The 27 MHz time at which byte 0 of `sector` arrives at the mux rate,
// rounded to the nearest tick.
std::uint64_t SectorScr(int sector) {
  const std::uint64_t ticks = static_cast<std::uint64_t>(sector) * kSectorBytes * kSystemClockHz;
  return (ticks + kMuxBytesPerSecond / 2) / kMuxBytesPerSecond;
}

void PutPackHeader(Mpeg2BitWriter& w, std::uint64_t scr) {
  const std::uint64_t base = scr / kScrExtensionModulus;
  const std::uint64_t extension = scr % kScrExtensionModulus;
  w.PutStartCode(kPackStartCode);
  w.PutBits(0b01, 2);  // MPEG-2 pack header
  w.PutBits(static_cast<std::uint32_t>(base >> 30) & 0x7, 3);
  w.PutMarker();
  w.PutBits(static_cast<std::uint32_t>(base >> 15) & 0x7FFF, 15);
  w.PutMarker();
  w.PutBits(static_cast<std::uint32_t>(base) & 0x7FFF, 15);
  w.PutMarker();
  w.PutBits(static_cast<std::uint32_t>(extension), 9);
  w.PutMarker();
  w.PutBits(kProgramMuxRate, 22);
  w.PutMarker();
  w.PutMarker();
  w.PutBits(0x1F, 5);  // reserved
  w.PutBits(0, 3);     // pack_stuffing_length
}

void PutSystemHeader(Mpeg2BitWriter& w) {
  w.PutStartCode(kSystemHeaderStartCode);
  w.PutBits(static_cast<std::uint32_t>(kSystemHeaderSize - kPesPrefixSize), 16);  // header_length
  w.PutMarker();
  w.PutBits(kProgramMuxRate, 22);  // rate_bound
  w.PutMarker();
  w.PutBits(0, 6);        // audio_bound
  w.PutFlag(false);       // fixed_flag
  w.PutFlag(false);       // CSPS_flag
  w.PutFlag(true);        // system_audio_lock_flag
  w.PutFlag(true);        // system_video_lock_flag
  w.PutMarker();
  w.PutBits(1, 5);        // video_bound
  w.PutFlag(false);       // packet_rate_restriction_flag
  w.PutBits(0x7F, 7);     // reserved
  for (const SystemHeaderStream& stream : kSystemHeaderStreams) {
    w.PutBits(stream.streamId, 8);
    w.PutBits(0b11, 2);
    w.PutBits(stream.bufferBoundScale, 1);
    w.PutBits(stream.bufferSizeBound, 13);
  }
}

void PutPesPrefix(Mpeg2BitWriter& w, std::uint8_t streamId, std::size_t packetLength) {
  w.PutStartCode(streamId);
  w.PutBits(static_cast<std::uint32_t>(packetLength), 16);
}

// A 33-bit PTS or DTS in its five-byte form behind a four-bit prefix.
void PutTimeStamp(Mpeg2BitWriter& w, std::uint8_t prefix, std::uint64_t ticks90kHz) {
  w.PutBits(prefix, 4);
  w.PutBits(static_cast<std::uint32_t>(ticks90kHz >> 30) & 0x7, 3);
  w.PutMarker();
  w.PutBits(static_cast<std::uint32_t>(ticks90kHz >> 15) & 0x7FFF, 15);
  w.PutMarker();
  w.PutBits(static_cast<std::uint32_t>(ticks90kHz) & 0x7FFF, 15);
  w.PutMarker();
}

void PutPaddingPacket(Mpeg2BitWriter& w, std::size_t totalSize) {
  PutPesPrefix(w, kPaddingStreamId, totalSize - kPesPrefixSize);
  w.PutRepeatedByte(kStuffingByte, totalSize - kPesPrefixSize);
}

// One 2048-byte video pack: the next part of the stream from `sent` on (if
// any is left) in one video PES packet, then a padding packet over the rest.
Bytes VideoSector(int sector, const TvSystem& tv, const Bytes& stream, std::size_t& sent) {
  Mpeg2BitWriter w;
  PutPackHeader(w, SectorScr(sector));
  std::size_t room = kSectorBytes - kPackHeaderSize;
  if (sent < stream.size()) {
    const bool firstPacket = sent == 0;
    const std::size_t headerData = firstPacket ? kTimeStampedHeaderDataLength : 0;
    const std::size_t overhead = kPesPrefixSize + kPesFlagBytes + headerData;
    const std::size_t capacity = room - overhead;
    const std::size_t payload = std::min(capacity, stream.size() - sent);
    // A gap too small for a padding packet becomes stuffing in the PES header.
    const std::size_t gap = capacity - payload;
    const std::size_t stuffing = gap < kPesPrefixSize ? gap : 0;

    PutPesPrefix(w, kVideoStreamId, kPesFlagBytes + headerData + stuffing + payload);
    w.PutBits(kPesFlagsOriginal, 8);
    w.PutBits(firstPacket ? kPesFlagsPtsDtsExtension : kPesFlagsNone, 8);
    w.PutBits(static_cast<std::uint32_t>(headerData + stuffing), 8);
    if (firstPacket) {
      PutTimeStamp(w, kPtsBeforeDtsPrefix, tv.pts);
      PutTimeStamp(w, kDtsPrefix, tv.pts - tv.framePeriod);  // decoded one frame ahead
      w.PutBits(kPesExtensionPStdOnly, 8);
      w.PutBits(0b01, 2);
      w.PutBits(kVideoPStdBufferScale, 1);
      w.PutBits(kVideoPStdBufferSize, 13);
    }
    w.PutRepeatedByte(kStuffingByte, stuffing);
    w.PutBytes(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(sent),
                     stream.begin() + static_cast<std::ptrdiff_t>(sent + payload)));
    sent += payload;
    room -= overhead + stuffing + payload;
  }
  if (room > 0) PutPaddingPacket(w, room);
  return w.TakeBytes();
}

Bytes PresentationControlInformation(const TvSystem& tv) {
  Bytes pci(kPciSize, 0);  // NV_PCK_LBN 0, no UOP restriction, no angles, HLI_SS 0
  PutBigEndian<std::uint32_t>(&pci[kPciVobuSPtm], tv.pts);
  PutBigEndian<std::uint32_t>(&pci[kPciVobuEPtm], tv.pts + tv.vobuEndAfterPts);
  PutBigEndian<std::uint32_t>(&pci[kPciVobuSeEPtm], tv.pts + tv.framePeriod);
  PutBigEndian<std::uint32_t>(&pci[kPciCElTm], tv.cellElapsedTime);
  return pci;
}

Bytes DataSearchInformation(const TvSystem& tv, std::uint32_t pictureEndSector) {
  Bytes dsi(kDsiSize, 0);  // NV_PCK_SCR 0, NV_PCK_LBN 0, no seamless or angle data
  PutBigEndian<std::uint32_t>(&dsi[kDsiVobuEa], kBlankVobuEndSector);
  PutBigEndian<std::uint32_t>(&dsi[kDsiVobu1stRefEa], pictureEndSector);
  PutBigEndian<std::uint16_t>(&dsi[kDsiVobuVobIdn], kBlankVobId);
  dsi[kDsiVobuCIdn] = kBlankCellId;
  PutBigEndian<std::uint32_t>(&dsi[kDsiCElTm], tv.cellElapsedTime);
  PutBigEndian<std::uint32_t>(&dsi[kDsiVobVSPtm], tv.pts);
  PutBigEndian<std::uint32_t>(&dsi[kDsiVobVEPtm], tv.pts + tv.vobuEndAfterPts);
  // The only VOBU of its cell: no VOBU to search for in either direction.
  for (std::size_t i = 0; i < kVobuSriEntries; ++i) {
    const bool videoVobuEntry = i == 0 || i == kVobuSriEntries - 1;
    PutBigEndian<std::uint32_t>(&dsi[kDsiVobuSri + 4 * i],
                                videoVobuEntry ? kSriVideoEndOfCell : kSriEndOfCell);
  }
  return dsi;
}

Bytes NavPackSector(const TvSystem& tv, std::uint32_t pictureEndSector) {
  Mpeg2BitWriter w;
  PutPackHeader(w, SectorScr(0));
  PutSystemHeader(w);
  PutPesPrefix(w, kPrivateStream2Id, kPciPacketLength);
  w.PutBits(kPciSubstream, 8);
  w.PutBytes(PresentationControlInformation(tv));
  PutPesPrefix(w, kPrivateStream2Id, kDsiPacketLength);
  w.PutBits(kDsiSubstream, 8);
  w.PutBytes(DataSearchInformation(tv, pictureEndSector));
  return w.TakeBytes();
}

// ---------------------------------------------------------------------------
// Video elementary stream writing.

void PutQuantiserMatrix(Mpeg2BitWriter& w) {
  w.PutBits(kQuantiserMatrixDc, 8);
  for (int i = 1; i < kQuantiserMatrixSize; ++i) w.PutBits(kQuantiserMatrixAc, 8);
}

void PutSequenceHeader(Mpeg2BitWriter& w, const TvSystem& tv, bool wide) {
  w.PutStartCode(kSequenceHeaderCode);
  w.PutBits(kPictureWidth, 12);
  w.PutBits(tv.lines, 12);
  w.PutBits(wide ? kAspect16By9 : kAspect4By3, 4);
  w.PutBits(tv.frameRateCode, 4);
  w.PutBits(kBitRateValue, 18);
  w.PutMarker();
  w.PutBits(kVbvBufferSizeValue, 10);
  w.PutFlag(false);  // constrained_parameters_flag
  w.PutFlag(tv.loadQuantiserMatrices);  // load_intra_quantiser_matrix
  if (tv.loadQuantiserMatrices) PutQuantiserMatrix(w);
  w.PutFlag(tv.loadQuantiserMatrices);  // load_non_intra_quantiser_matrix
  if (tv.loadQuantiserMatrices) PutQuantiserMatrix(w);
}

void PutSequenceExtension(Mpeg2BitWriter& w) {
  w.PutStartCode(kExtensionStartCode);
  w.PutBits(kSequenceExtensionId, 4);
  w.PutBits(kMainProfileMainLevel, 8);
  w.PutFlag(false);  // progressive_sequence: interlaced video
  w.PutBits(kChromaFormat420, 2);
  w.PutBits(0, 2);   // horizontal_size_extension
  w.PutBits(0, 2);   // vertical_size_extension
  w.PutBits(0, 12);  // bit_rate_extension
  w.PutMarker();
  w.PutBits(0, 8);   // vbv_buffer_size_extension
  w.PutFlag(false);  // low_delay
  w.PutBits(0, 2);   // frame_rate_extension_n
  w.PutBits(0, 5);   // frame_rate_extension_d
}

void PutSequenceDisplayExtension(Mpeg2BitWriter& w, const TvSystem& tv) {
  w.PutStartCode(kExtensionStartCode);
  w.PutBits(kSequenceDisplayExtensionId, 4);
  w.PutBits(kVideoFormatPal, 3);
  w.PutFlag(true);  // colour_description
  w.PutBits(kColourBt470BG, 8);
  w.PutBits(kColourBt470BG, 8);
  w.PutBits(kColourBt470BG, 8);
  w.PutBits(kPictureWidth, 14);  // display_horizontal_size
  w.PutMarker();
  w.PutBits(tv.lines, 14);       // display_vertical_size
}

void PutGroupOfPicturesHeader(Mpeg2BitWriter& w) {
  w.PutStartCode(kGroupStartCode);
  w.PutFlag(false);  // drop_frame_flag
  w.PutBits(0, 5);   // hours
  w.PutBits(0, 6);   // minutes
  w.PutMarker();
  w.PutBits(0, 6);   // seconds
  w.PutBits(0, 6);   // pictures
  w.PutFlag(true);   // closed_gop
  w.PutFlag(false);  // broken_link
}

void PutPictureHeader(Mpeg2BitWriter& w) {
  w.PutStartCode(kPictureStartCode);
  w.PutBits(0, 10);  // temporal_reference
  w.PutBits(kIntraCodedPicture, 3);
  w.PutBits(kVbvDelayVariableRate, 16);
  w.PutFlag(false);  // extra_bit_picture
}

void PutPictureCodingExtension(Mpeg2BitWriter& w, const TvSystem& tv) {
  w.PutStartCode(kExtensionStartCode);
  w.PutBits(kPictureCodingExtensionId, 4);
  for (int i = 0; i < 4; ++i) w.PutBits(kUnusedFCode, 4);
  w.PutBits(kIntraDcPrecision10Bits, 2);
  w.PutBits(kFramePicture, 2);
  w.PutFlag(true);  // top_field_first
  w.PutFlag(tv.framePredFrameDct);
  w.PutFlag(false);  // concealment_motion_vectors
  w.PutFlag(tv.qScaleType);
  w.PutFlag(tv.intraVlcFormat);
  w.PutFlag(tv.alternateScan);
  w.PutFlag(false);  // repeat_first_field
  w.PutFlag(tv.chroma420Type);
  w.PutFlag(tv.progressiveFrame);
  w.PutFlag(false);  // composite_display_flag
}

void PutVlc(Mpeg2BitWriter& w, VlcCode code) { w.PutBits(code.bits, code.length); }

// An intra block holding only its DC coefficient: the DC size, the
// differential from the component's predictor, then end of block.
void PutDcOnlyBlock(Mpeg2BitWriter& w, const TvSystem& tv, bool luma, int& predictor, int dc) {
  const int differential = dc - predictor;
  predictor = dc;
  const int magnitude = differential < 0 ? -differential : differential;
  int size = 0;
  while ((magnitude >> size) != 0) ++size;
  PutVlc(w, luma ? kDcSizeLuminance[size] : kDcSizeChrominance[size]);
  if (size > 0) {
    // Negative differentials are sent as differential + 2^size - 1.
    const int coded = differential > 0 ? differential : differential + (1 << size) - 1;
    w.PutBits(static_cast<std::uint32_t>(coded), size);
  }
  PutVlc(w, tv.intraVlcFormat ? kEndOfBlockTableOne : kEndOfBlockTableZero);
}

// One macroblock row of black: intra macroblocks with flat blocks, the DC
// predictors starting from mid-grey as at every slice start.
void PutBlackSlice(Mpeg2BitWriter& w, const TvSystem& tv, int row) {
  w.PutStartCode(static_cast<std::uint8_t>(row + 1));  // slice_vertical_position
  w.PutBits(kSliceQuantiserScaleCode, 5);
  w.PutFlag(false);  // extra_bit_slice
  int lumaPredictor = kDcPredictorReset;
  int cbPredictor = kDcPredictorReset;
  int crPredictor = kDcPredictorReset;
  for (int column = 0; column < kMacroblocksPerRow; ++column) {
    PutVlc(w, kAddressIncrementOne);
    PutVlc(w, kMacroblockTypeIntra);
    if (!tv.framePredFrameDct) w.PutFlag(false);  // dct_type: frame DCT
    for (int block = 0; block < kLumaBlocksPerMacroblock; ++block) {
      PutDcOnlyBlock(w, tv, true, lumaPredictor, kBlackLumaDc);
    }
    PutDcOnlyBlock(w, tv, false, cbPredictor, kNeutralChromaDc);
    PutDcOnlyBlock(w, tv, false, crPredictor, kNeutralChromaDc);
  }
}

// Zero bytes before the sequence end code (stuffing allowed before any start
// code) bring the stream to `length`, so every image keeps the packet sizes
// its layout was authored with whatever the slice coder produces.
Bytes StuffedToLength(Bytes stream, std::size_t length) {
  constexpr std::size_t kEndCodeSize = 4;
  if (stream.size() < length) {
    stream.insert(stream.end() - static_cast<std::ptrdiff_t>(kEndCodeSize), length - stream.size(), 0);
  }
  return stream;
}

Bytes BuildBlankVob(bool pal, bool wide) {
  const TvSystem& tv = TvSystemFor(pal);
  return BuildOneFrameVob(pal, StuffedToLength(BlackFrameVideoStream(pal, wide), tv.authoredStreamLength));
}

constexpr std::array<const char*, 4> kImageNames{"NTSC", "NTSCA", "PAL", "PALA"};

// ---------------------------------------------------------------------------
// Checking a replacement VOB.

bool StartCodeAt(const std::uint8_t* sector, std::size_t pos, std::uint8_t code) {
  return sector[pos] == 0x00 && sector[pos + 1] == 0x00 && sector[pos + 2] == 0x01 && sector[pos + 3] == code;
}

// A DVD NAV pack (nav_pack.h) whose system header follows the pack header,
// as a blank image writes it.
bool IsNavPack(const std::uint8_t* sector) {
  return nav::IsNavPack(std::span(sector, kSectorBytes)) &&
         StartCodeAt(sector, kPackHeaderSize, kSystemHeaderStartCode);
}

}  // namespace

std::string BlankVobImageName(std::uint8_t videoAttributeByte) {
  return BlankVobImageName((videoAttributeByte & 0x10) != 0, (videoAttributeByte & 0x08) != 0);
}

std::string BlankVobImageName(bool pal, bool wide) {
  return std::string(pal ? "PAL" : "NTSC") + (wide ? "A" : "");
}

const std::vector<std::uint8_t>& BlankVobImage(const std::string& name) {
  // Built on first use; the initialisation of a local static is thread-safe.
  static const std::array<Bytes, kImageNames.size()> images{
      BuildBlankVob(false, false), BuildBlankVob(false, true), BuildBlankVob(true, false),
      BuildBlankVob(true, true)};
  for (std::size_t i = 0; i < kImageNames.size(); ++i) {
    if (name == kImageNames[i]) return images[i];
  }
  throw UnknownBlankVob("There is no built-in blank VOB named \"" + name + "\"");
}

std::vector<std::uint8_t> BlackFrameVideoStream(bool pal, bool wide) {
  const TvSystem& tv = TvSystemFor(pal);
  Mpeg2BitWriter w;
  PutSequenceHeader(w, tv, wide);
  PutSequenceExtension(w);
  if (tv.sequenceDisplayExtension) PutSequenceDisplayExtension(w, tv);
  PutGroupOfPicturesHeader(w);
  PutPictureHeader(w);
  PutPictureCodingExtension(w, tv);
  for (int row = 0; row < tv.lines / kMacroblockSize; ++row) PutBlackSlice(w, tv, row);
  w.PutStartCode(kSequenceEndCode);
  return w.TakeBytes();
}

std::vector<std::uint8_t> BuildOneFrameVob(bool pal, const std::vector<std::uint8_t>& videoStream) {
  const TvSystem& tv = TvSystemFor(pal);
  if (videoStream.empty()) throw std::length_error("A one-frame VOB needs a video stream");
  // The video packs come first: the NAV pack names the sector where the picture ends.
  std::array<Bytes, kSectorCount - kFirstVideoSector> videoSectors;
  std::size_t sent = 0;
  std::uint32_t pictureEndSector = 0;
  for (int sector = kFirstVideoSector; sector < kSectorCount; ++sector) {
    const std::size_t before = sent;
    videoSectors[static_cast<std::size_t>(sector - kFirstVideoSector)] = VideoSector(sector, tv, videoStream, sent);
    if (sent > before) pictureEndSector = static_cast<std::uint32_t>(sector);
  }
  if (sent != videoStream.size()) {
    throw std::length_error("A video stream of " + std::to_string(videoStream.size()) +
                            " bytes does not fit into a one-frame VOB");
  }
  Bytes vob = NavPackSector(tv, pictureEndSector);
  for (const Bytes& sector : videoSectors) vob.insert(vob.end(), sector.begin(), sector.end());
  return vob;
}

std::string CheckOneFrameVob(const std::vector<std::uint8_t>& bytes) {
  if (static_cast<std::int64_t>(bytes.size()) != kBlankVobSize) {
    return "it is " + std::to_string(bytes.size()) + " bytes, not " + std::to_string(kBlankVobSize);
  }
  const std::uint8_t* nav = bytes.data();
  if (!IsNavPack(nav)) return "sector 0 holds no NAV pack";
  const std::uint8_t* dsi = nav + kDsiPos;
  const std::uint32_t vobuEnd = GetBigEndian<std::uint32_t>(dsi + kDsiVobuEa);
  if (vobuEnd != kBlankVobuEndSector) {
    return "its NAV pack ends the VOBU at sector " + std::to_string(vobuEnd) + ", not " +
           std::to_string(kBlankVobuEndSector);
  }
  const std::uint16_t vobId = GetBigEndian<std::uint16_t>(dsi + kDsiVobuVobIdn);
  const std::uint8_t cellId = dsi[kDsiVobuCIdn];
  if (vobId != kBlankVobId || cellId != kBlankCellId) {
    return "its NAV pack names VOB " + std::to_string(vobId) + ", cell " + std::to_string(cellId);
  }
  for (int sector = kFirstVideoSector; sector < kSectorCount; ++sector) {
    if (IsNavPack(bytes.data() + static_cast<std::size_t>(sector) * kSectorBytes)) {
      return "sector " + std::to_string(sector) + " holds a second NAV pack";
    }
  }
  return {};
}

}  // namespace kestrune
