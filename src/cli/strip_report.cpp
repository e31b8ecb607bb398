#include "strip_report.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "dvd_files.h"
#include "run_plan_report.h"

namespace kestrune {

namespace {

std::string Hex(std::uint8_t stream) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", stream);
  return text;
}

// "packs 0x80", "packs 0x21, 0x22": the physical streams the title chains
// play for the stream number.
std::string Packs(const strip::StreamReport& s) {
  std::string text;
  for (std::uint8_t p : s.physical) text += (text.empty() ? "packs " : ", ") + Hex(p);
  return text.empty() ? "played by no title chain" : text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

void PrintStripReport(const std::vector<strip::TitleSetReport>& sets, std::ostream& out) {
  for (const strip::TitleSetReport& set : sets) {
    out << VtsPrefix(set.titleSet) << "*.VOB: " << set.titleVobBytesBefore << " bytes in " << set.filesBefore
        << (set.filesBefore == 1 ? " file\n" : " files\n");
    for (const strip::StreamReport& s : set.streams) {
      out << "  " << Padded((s.audio ? "audio " : "sub-picture ") + std::to_string(s.number), 15)
          << Padded(s.language.empty() ? "--" : s.language, 4) << Padded(s.format, 8) << Padded(Packs(s), 18)
          << Padded(std::to_string(s.bytes) + " bytes", 16) << (s.dropped ? "dropped" : "kept") << '\n';
    }
    out << "  saves " << set.BytesSaved() << " bytes: " << set.titleVobBytesAfter << " bytes in " << set.filesAfter
        << (set.filesAfter == 1 ? " file\n" : " files\n");
  }
}

nlohmann::ordered_json StripReportJson(const std::vector<strip::TitleSetReport>& sets, const RunPlan& plan) {
  nlohmann::ordered_json json = RunPlanJson(plan);
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const strip::TitleSetReport& set : sets) {
    nlohmann::ordered_json streams = nlohmann::ordered_json::array();
    for (const strip::StreamReport& s : set.streams) {
      nlohmann::ordered_json packs = nlohmann::ordered_json::array();
      for (std::uint8_t p : s.physical) packs.push_back(Hex(p));
      streams.push_back({{"kind", s.audio ? "audio" : "sub-picture"},
                         {"number", s.number},
                         {"language", s.language},
                         {"format", s.format},
                         {"packs_of", std::move(packs)},
                         {"bytes", s.bytes},
                         {"dropped", s.dropped}});
    }
    list.push_back({{"number", set.titleSet},
                    {"title_vob_bytes_before", set.titleVobBytesBefore},
                    {"title_vob_bytes_after", set.titleVobBytesAfter},
                    {"bytes_saved", set.BytesSaved()},
                    {"files_before", set.filesBefore},
                    {"files_after", set.filesAfter},
                    {"streams", std::move(streams)}});
  }
  json["title_sets"] = std::move(list);
  return json;
}

}  // namespace kestrune
