// The verifier's driver: reads every set of the folder, runs the checks in
// order and collects the findings.
#include "verify.h"

#include <algorithm>
#include <new>

#include "ifo_file.h"
#include "dvd_files.h"
#include "file_layer.h"
#include "verifier.h"

namespace kestrune::verify {

namespace {

constexpr int kMaxTitleSets = 99;
constexpr int kTitleVobFiles = 9;  // VTS_nn_1.VOB .. VTS_nn_9.VOB

// The model's sentence without the file, table and field it starts with.
std::string ProblemWhat(const ifo::Problem& p) {
  std::string prefix = p.file;
  if (!p.table.empty()) prefix += ": " + p.table;
  if (!p.field.empty()) prefix += ": " + p.field;
  prefix += " ";
  if (p.text.compare(0, prefix.size(), prefix) == 0) return p.text.substr(prefix.size());
  if (p.text.compare(0, p.file.size() + 2, p.file + ": ") == 0) return p.text.substr(p.file.size() + 2);
  return p.text;
}

}  // namespace

int Report::Count(Severity severity) const {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                        [&](const Finding& f) { return f.severity == severity; }));
}

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError: return "error";
    case Severity::kWarning: return "warning";
    case Severity::kNote: return "note";
  }
  return "";
}

std::string HexOffset(std::int64_t offset) {
  std::string digits = ifo::Hex(static_cast<std::uint64_t>(offset)).substr(2);
  while (digits.size() < 4) digits.insert(digits.begin(), '0');
  return "0x" + digits;
}

std::string Number(std::int64_t value) { return std::to_string(value); }

std::string Describe(const Finding& f) {
  std::string text = std::string(SeverityName(f.severity)) + ": " + f.file;
  if (!f.table.empty()) text += " " + f.table;
  if (!f.field.empty()) text += " " + f.field;
  if (f.offset >= 0) text += " (" + HexOffset(f.offset) + ")";
  text += ": " + f.found;
  if (!f.expected.empty()) text += ", expected " + f.expected;
  if (!f.why.empty()) text += "; " + f.why;
  return text;
}

Report VerifyFolder(const std::string& folder, const ImageLayout* image) {
  Verifier verifier(folder);
  return verifier.Run(image);
}

Verifier::Verifier(const std::string& folder) : sizes_(WithTrailingDelimiter(folder)) {
  report_.folder = WithTrailingDelimiter(folder);
}

void Verifier::Add(Severity severity, const std::string& file, const std::string& table, const std::string& field,
                   std::int64_t offset, const std::string& found, const std::string& expected,
                   const std::string& why) {
  report_.findings.push_back({severity, file, table, field, offset, found, expected, why});
}

bool Verifier::Has(const std::string& file, const std::string& table, const std::string& field) const {
  return std::any_of(report_.findings.begin(), report_.findings.end(), [&](const Finding& f) {
    return f.file == file && f.table == table && f.field == field;
  });
}

void Verifier::ListVobs(SetData& set) {
  const auto add = [&](VobSet& vobs, const std::string& name) {
    const std::int64_t bytes = sizes_.Size(name);
    if (bytes >= 0) vobs.files.push_back({name, bytes});
  };
  if (set.number == 0) {
    set.menuVobs.name = "VIDEO_TS.VOB";
    add(set.menuVobs, "VIDEO_TS.VOB");
    return;
  }
  const std::string prefix = VtsPrefix(set.number);
  set.menuVobs.name = prefix + "0.VOB";
  add(set.menuVobs, prefix + "0.VOB");
  set.titleVobs.name = prefix + "*.VOB";
  // The title VOB set is one run of sectors over VTS_nn_1.VOB, VTS_nn_2.VOB,
  // ...: a missing file in the middle would shift every sector after it.
  bool gap = false;
  for (int k = 1; k <= kTitleVobFiles; ++k) {
    const std::string name = prefix + static_cast<char>('0' + k) + ".VOB";
    const std::int64_t bytes = sizes_.Size(name);
    if (bytes < 0) {
      gap = true;
      continue;
    }
    if (gap)
      Add(Severity::kError, name, "", "", -1, "follows a missing title VOB file",
          prefix + std::to_string(k - 1) + ".VOB before it",
          "the title VOB set is one run of sectors over its files in order");
    set.titleVobs.files.push_back({name, bytes});
  }
}

void Verifier::LoadSet(SetData& set) {
  set.ifoName = set.number == 0 ? "VIDEO_TS.IFO" : VtsPrefix(set.number) + "0.IFO";
  set.bupName = set.ifoName.substr(0, set.ifoName.size() - 3) + "BUP";
  set.ifoBytes = sizes_.Size(set.ifoName);
  set.bupBytes = sizes_.Size(set.bupName);
  ListVobs(set);
  for (const VobSet* vobs : {&set.menuVobs, &set.titleVobs}) report_.vobBytes += vobs->Bytes();

  ifo::Problems problems;
  set.image = ifo::ReadIfoFile(report_.folder, set.ifoName, set.number == 0 ? ifo::IfoKind::kVmg : ifo::IfoKind::kVts,
                                problems);
  if (set.image) {
    report_.ifoBytesRead += set.image->Size();
    ifo::ReadGuarded(problems, [&] {
      if (set.number == 0) {
        set.vmg = disc::ReadVideoManager(*set.image, problems);
        set.modelRead = set.vmg.read;
      } else {
        set.vts = disc::ReadVideoTitleSet(set.number, *set.image, problems);
        set.modelRead = set.vts.read;
      }
    });
  }
  // What the disc model could not read is damage a player meets too. A
  // table running past the IFO's last sector is left to CheckTables, which
  // names it more exactly.
  for (const ifo::Problem& p : problems) {
    if (p.field == "end address" && p.text.find("past the IFO's last sector") != std::string::npos) continue;
    Add(Severity::kError, p.file, p.table, p.field, p.field == "identifier" ? 0 : -1, ProblemWhat(p), "");
  }
}

const SetData* Verifier::TitleSet(int number) const {
  for (const SetData& set : titleSets_)
    if (set.number == number) return &set;
  return nullptr;
}

const std::vector<std::uint8_t>* Verifier::VobSector(const VobSet& vobs, std::int64_t sector) {
  const auto key = std::make_pair(&vobs, sector);
  auto it = sectors_.find(key);
  if (it == sectors_.end()) it = sectors_.emplace(key, ReadVobBytes(vobs, sector * kSectorSize, kSectorSize)).first;
  return it->second ? &*it->second : nullptr;
}

std::optional<std::vector<std::uint8_t>> Verifier::ReadVobBytes(const VobSet& vobs, std::int64_t offset,
                                                                std::int64_t length) {
  std::int64_t start = 0;
  for (const VobSet::File& file : vobs.files) {
    const std::int64_t end = start + file.bytes;
    if (offset >= start && offset < end) {
      // A read never runs from one file into the next: sectors lie whole in
      // one file when the files are whole sectors, which CheckFiles checks.
      std::vector<std::uint8_t> bytes;
      std::error_code error;
      if (!ReadFileRange(report_.folder + file.name, offset - start, length, bytes, error)) {
        if (!Has(file.name, "", "read"))
          Add(Severity::kError, file.name, "", "read", -1, "cannot be read: " + error.message(), "", "");
        return std::nullopt;
      }
      report_.vobBytesRead += static_cast<std::int64_t>(bytes.size());
      if (static_cast<std::int64_t>(bytes.size()) != length) return std::nullopt;
      return bytes;
    }
    start = end;
  }
  return std::nullopt;
}

Report Verifier::Run(const ImageLayout* image) {
  vmg_.number = 0;
  LoadSet(vmg_);
  const int counted = vmg_.modelRead ? vmg_.vmg.mat.titleSetCount : 0;
  for (int n = 1; n <= kMaxTitleSets; ++n) {
    const bool present = sizes_.Size(VtsPrefix(n) + "0.IFO") >= 0;
    if (!present && n > counted) continue;
    SetData set;
    set.number = n;
    LoadSet(set);
    titleSets_.push_back(std::move(set));
  }

  for (SetData* set : [&] {
         std::vector<SetData*> all{&vmg_};
         for (SetData& s : titleSets_) all.push_back(&s);
         return all;
       }()) {
    CheckFiles(*set);
    if (!set->modelRead) continue;
    CheckTables(*set);
    CheckSetSizes(*set);
  }
  CheckDiscLayout();
  if (image != nullptr) CheckImageLayout(*image);
  CheckVtsAtrt();
  CheckTitles();
  std::vector<Domain> domains = DomainsOf(vmg_);
  for (const SetData& set : titleSets_) {
    const std::vector<Domain> more = DomainsOf(set);
    domains.insert(domains.end(), more.begin(), more.end());
  }
  // The address tables and VOBs once per VOB set, with every chain list
  // (one per menu language) that plays it; the address maps first, as the
  // cells are checked against them.
  std::vector<const VobSet*> done;
  std::vector<std::vector<const Domain*>> playing;
  for (const Domain& domain : domains) {
    if (domain.vobs == nullptr || !domain.vobs->Present()) continue;
    if (std::find(done.begin(), done.end(), domain.vobs) != done.end()) continue;
    done.push_back(domain.vobs);
    playing.emplace_back();
    for (const Domain& d : domains)
      if (d.vobs == domain.vobs) playing.back().push_back(&d);
    CheckAddressTables(domain);
  }
  for (const Domain& domain : domains) CheckDomain(domain);
  for (const auto& group : playing) CheckVobs(group);
  return std::move(report_);
}

}  // namespace kestrune::verify
