#include "nav_relocation.h"

#include "big_endian.h"
#include "nav_pack.h"

namespace kestrune {

namespace {

using namespace nav;

std::uint32_t DWordAt(std::span<const std::uint8_t> p, std::int64_t at) { return GetBigEndian<std::uint32_t>(&p[at]); }
std::uint16_t WordAt(std::span<const std::uint8_t> p, std::int64_t at) { return GetBigEndian<std::uint16_t>(&p[at]); }
void PutDWord(std::span<std::uint8_t> p, std::int64_t at, std::int64_t v) {
  PutBigEndian<std::uint32_t>(&p[at], static_cast<std::uint32_t>(v));
}
void PutWord(std::span<std::uint8_t> p, std::int64_t at, std::int64_t v) {
  PutBigEndian<std::uint16_t>(&p[at], static_cast<std::uint16_t>(v));
}

class Relocation {
 public:
  Relocation(std::span<std::uint8_t> pack, std::int64_t old, const SectorMap& map)
      : p_(pack), old_(old), map_(map) {}

  // The new sector of `target`, which the field `field` names and which
  // must be kept.
  std::int64_t Target(std::int64_t target, const std::string& field) const {
    if (target < 0 || target >= map_.OldSectors())
      throw NavPackError(field, "names sector " + std::to_string(target) + ", outside the VOB set of " +
                                    std::to_string(map_.OldSectors()) + " sectors");
    const auto moved = map_.Map(target);
    if (!moved) throw NavPackError(field, "names sector " + std::to_string(target) + ", a pack that is removed");
    return *moved;
  }
  // The new place of the end sector `end` of something starting here.
  std::int64_t End(std::int64_t end, const std::string& field) const {
    if (end >= map_.OldSectors())
      throw NavPackError(field, "ends at sector " + std::to_string(end) + ", past the VOB set of " +
                                    std::to_string(map_.OldSectors()) + " sectors");
    return *map_.MapLast(end);
  }

  void Run(const SynciDrops& drops) {
    CheckNotInterleaved();
    for (const auto& [at, name] : {std::pair{PciField(kPciNvPckLbn), "PCI NV_PCK_LBN"},
                                    std::pair{DsiField(kDsiNvPckLbn), "DSI NV_PCK_LBN"}}) {
      if (DWordAt(p_, at) != old_)
        throw NavPackError(name, "holds " + std::to_string(DWordAt(p_, at)) + ", but the pack is sector " +
                                     std::to_string(old_) + " of its VOB set");
    }
    self_ = Target(old_, "NV_PCK_LBN");
    PutDWord(p_, PciField(kPciNvPckLbn), self_);
    PutDWord(p_, DsiField(kDsiNvPckLbn), self_);

    const std::int64_t vobuEnd = old_ + DWordAt(p_, DsiField(kDsiVobuEa));
    const std::int64_t newVobuEnd = End(vobuEnd, "VOBU_EA");
    PutDWord(p_, DsiField(kDsiVobuEa), newVobuEnd - self_);
    for (int r = 0; r < kRefEas; ++r) {
      const std::int64_t at = DsiField(kDsiFirstRefEa + 4 * r);
      const std::uint32_t ea = DWordAt(p_, at);
      if (ea == 0) continue;  // fewer reference pictures in this VOBU
      const std::string name = "VOBU_" + std::to_string(r + 1) + (r == 0 ? "ST" : r == 1 ? "ND" : "RD") + "REF_EA";
      if (old_ + ea > vobuEnd)
        throw NavPackError(name, "ends at sector " + std::to_string(old_ + ea) + ", after its VOBU (sector " +
                                     std::to_string(vobuEnd) + ")");
      PutDWord(p_, at, End(old_ + ea, name) - self_);
    }

    for (int i = 0; i < kVobuSriEntries; ++i) {
      const std::int64_t at = DsiField(kVobuSri + 4 * i);
      const std::uint32_t v = DWordAt(p_, at);
      if ((v & kSriOffset) == kSriOffset) continue;  // no such VOBU
      const bool forward = i < kVobuSriForward;
      const std::int64_t offset = v & kSriOffset;
      const std::int64_t moved = Target(forward ? old_ + offset : old_ - offset, "VOBU_SRI entry " + std::to_string(i + 1));
      PutDWord(p_, at, (v & kSriFlags) | (forward ? moved - self_ : self_ - moved));
    }

    for (int i = 0; i < kAudioSyncas; ++i) {
      const std::int64_t at = DsiField(kAudioSynca + 2 * i);
      if (drops.audio >> i & 1) {
        PutWord(p_, at, 0);
        continue;
      }
      const std::uint16_t v = WordAt(p_, at);
      if (v == 0 || (v & kAudioSyncaOffset) == kAudioSyncaOffset) continue;
      PutWord(p_, at, (v & ~kAudioSyncaOffset) | Synca(v & kAudioSyncaBefore, v & kAudioSyncaOffset,
                                                        "A_SYNCA " + std::to_string(i + 1)));
    }
    for (int i = 0; i < kSubpictureSyncas; ++i) {
      const std::int64_t at = DsiField(kSubpictureSynca + 4 * i);
      if (drops.subpictures >> i & 1) {
        PutDWord(p_, at, 0);
        continue;
      }
      const std::uint32_t v = DWordAt(p_, at);
      if (v == 0 || (v & kSubpictureSyncaOffset) == kSubpictureSyncaOffset) continue;
      PutDWord(p_, at, (v & kSubpictureSyncaBefore) | Synca(v & kSubpictureSyncaBefore, v & kSubpictureSyncaOffset,
                                                            "SP_SYNCA " + std::to_string(i + 1)));
    }
  }

 private:
  std::int64_t Synca(bool before, std::int64_t offset, const std::string& field) const {
    const std::int64_t moved = Target(before ? old_ - offset : old_ + offset, field);
    return before ? self_ - moved : moved - self_;
  }

  void CheckNotInterleaved() const {
    const char* why = "is set: the VOBU belongs to an interleaved block, whose packs are not moved";
    if (DWordAt(p_, DsiField(kSmlPbiIlvuEa)) != 0 || DWordAt(p_, DsiField(kSmlPbiIlvuSa)) != 0)
      throw NavPackError("SML_PBI ILVU_EA/ILVU_SA", why);
    for (int a = 0; a < kAngles; ++a) {
      if (DWordAt(p_, PciField(kNsmlAgli + 4 * a)) != 0) throw NavPackError("NSML_AGLI", why);
      if (DWordAt(p_, DsiField(kSmlAgli + kSmlAgliEntrySize * a)) != 0) throw NavPackError("SML_AGLI", why);
    }
  }

  std::span<std::uint8_t> p_;
  std::int64_t old_;
  const SectorMap& map_;
  std::int64_t self_ = 0;
};

}  // namespace

void RelocateNavPack(std::span<std::uint8_t> pack, std::int64_t old, const SectorMap& map, const SynciDrops& drops) {
  Relocation(pack, old, map).Run(drops);
}

}  // namespace kestrune
