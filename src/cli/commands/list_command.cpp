// kestrune-cli list FOLDER [--json]: what can be blanked, as the window's
// three lists show it, with sizes.
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli_app.h"
#include "commands.h"
#include "disc.h"
#include "folder_scan.h"
#include "run_options.h"

namespace kestrune::cli {

void PrintRows(const DvdFolder& folder, std::ostream& out) {
  const auto reading = folder.ReadThrough();
  const ScanRows rows = FindTitleSetRows(folder.dir, "", false);
  for (const auto* list : {&rows.vmg, &rows.videos, &rows.menus})
    for (const ScanRow& row : *list) out << row.text << '\n';
}

namespace {

// The rows with their sizes in bytes, as the disc model measured the files:
// "folder", "vmg", "titles", "menus"; each row has "title_set" (0 for the
// video manager), "text" (as printed) and "bytes" (null if not measured).
nlohmann::ordered_json RowsJson(const DvdFolder& folder) {
  const auto reading = folder.ReadThrough();
  const ScanRows rows = FindTitleSetRows(folder.dir, "", false);
  const disc::Disc model = disc::ReadDisc(folder.dir);
  auto row = [](const ScanRow& r, int titleSet, std::int64_t bytes) {
    nlohmann::ordered_json json{{"title_set", titleSet}, {"text", r.text}, {"bytes", nullptr}};
    if (bytes >= 0) json["bytes"] = bytes;
    return json;
  };
  auto titleSetOf = [](const ScanRow& r) {
    const std::string number = TitleSetNumberOfRow(r.text);
    return number.empty() ? 0 : std::stoi(number);
  };
  nlohmann::ordered_json json{{"folder", model.folder}, {"vmg", nlohmann::ordered_json::array()},
                              {"titles", nlohmann::ordered_json::array()}, {"menus", nlohmann::ordered_json::array()}};
  for (const ScanRow& r : rows.vmg) json["vmg"].push_back(row(r, 0, model.vmg.menuVobBytes));
  for (const ScanRow& r : rows.videos) {
    const disc::VideoTitleSet* set = model.TitleSet(titleSetOf(r));
    json["titles"].push_back(row(r, titleSetOf(r), set ? set->TitleVobBytes() : -1));
  }
  for (const ScanRow& r : rows.menus) {
    const disc::VideoTitleSet* set = model.TitleSet(titleSetOf(r));
    json["menus"].push_back(row(r, titleSetOf(r), set ? set->menuVobBytes : -1));
  }
  return json;
}

class ListCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override {
    app.add_flag("--json", json_, "Print the rows as JSON, with their sizes in bytes");
  }
  int Run(const DvdFolder& folder, std::ostream& out, std::ostream&) override {
    if (json_)
      out << RowsJson(folder).dump(2) << '\n';
    else
      PrintRows(folder, out);
    return kExitOk;
  }
  bool PrintsJson() const override { return json_; }

 private:
  bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeListCommand() { return std::make_unique<ListCommand>(); }

}  // namespace kestrune::cli
