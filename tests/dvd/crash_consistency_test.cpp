// A crash at any moment of a run, a restore or a backup deletion loses
// nothing. The test's file system (test_file_system.h) journals what the file
// layer sends to the disk (files created with their bytes, data flushes,
// renames, deletions, folder flushes); for every prefix of that journal this
// test builds each folder a crash there could leave behind:
//   - a file whose data was not flushed is empty;
//   - a rename or deletion not yet covered by a flush of the folder may or
//     may not have happened, each on its own. Every combination of these is
//     built within one file's family (NAME, NAME~ and its temporary name),
//     with the other families' waiting changes all made or none: no rule
//     checked here relates the contents of two families;
// and checks, on each such folder: with backups on, the restore command gives
// back the original folder byte for byte; without, every DVD file holds its
// old bytes or complete new ones. After the whole journal the folder on the
// disk must be the finished one: what a run reports as done is flushed.
//
// The runs are real runs on a copy of an authored disc (the video manager
// menu, the titles and menus of both title sets of ntsc_two_sets). The
// restore is the real command, run on each crash folder with every file
// standing for its bytes by a short tag: the command only renames and deletes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "backup_commands.h"
#include "fixtures.h"
#include "file_layer.h"
#include "temp_folder.h"
#include "test_file_system.h"
#include "title_set.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Files = std::map<std::string, Bytes>;
using Entry = test::JournalEntry;
// A folder as names and content tags; a tag stands for one content.
using Tagged = std::map<std::string, int>;

// Gives every distinct content a tag: the same bytes, the same tag.
class ContentTags {
 public:
  int Of(const Bytes& bytes) {
    return tags_.emplace(std::string(bytes.begin(), bytes.end()), static_cast<int>(tags_.size())).first->second;
  }
  Tagged Of(const Files& files) {
    Tagged tagged;
    for (const auto& [name, bytes] : files) tagged[name] = Of(bytes);
    return tagged;
  }

 private:
  std::map<std::string, int> tags_;
};

// The folder as the running program sees it and as the disk has it, replayed
// from the journal.
class CrashStates {
 public:
  CrashStates(const Files& original, ContentTags& tags) : tags_(tags) {
    for (const auto& [name, bytes] : original) names_[name] = NewFile(bytes, true);
    durableNames_ = names_;
  }

  void Apply(const Entry& e, const std::string& dir) {
    const std::string name = Relative(e.path, dir);
    switch (e.kind) {
      case Entry::Kind::kCreate:
        // A temporary file: its name is taken as made at once, so a crash can
        // leave it behind whenever the rename that follows did not happen.
        names_[name] = durableNames_[name] = NewFile(e.bytes, false);
        break;
      case Entry::Kind::kFlushFile:
        files_.at(static_cast<std::size_t>(names_.at(name))).durable = true;
        break;
      case Entry::Kind::kRename: {
        const std::string to = Relative(e.to, dir);
        const int file = names_.at(name);
        names_.erase(name);
        names_[to] = file;
        renamedTo_[to].insert(files_[static_cast<std::size_t>(file)].tag);
        pending_.push_back({file, name, to});
        break;
      }
      case Entry::Kind::kDelete:
        pending_.push_back({names_.at(name), name, {}});
        names_.erase(name);
        deleted_.insert(name);
        break;
      case Entry::Kind::kFlushFolder:
        ASSERT_EQ(e.path, dir);
        durableNames_ = names_;
        pending_.clear();
        break;
    }
  }

  // Every folder a crash now could leave (each once over the whole journal).
  void ForEach(const std::function<void(const Tagged&)>& visit) {
    std::map<std::string, std::vector<std::size_t>> families;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
      const NameChange& c = pending_[i];
      ASSERT_TRUE(c.to.empty() || FamilyOf(c.to) == FamilyOf(c.from)) << c.from << " renamed to " << c.to;
      families[FamilyOf(c.from)].push_back(i);
    }
    for (const auto& [family, changes] : families) {
      ASSERT_LE(changes.size(), 16u) << "too many changes of " << family << " wait for one folder flush";
      for (const bool othersMade : {false, true}) {
        for (std::uint32_t mask = 0; mask < (1u << changes.size()); ++mask) {
          std::vector<bool> made(pending_.size(), othersMade);
          for (std::size_t k = 0; k < changes.size(); ++k) made[changes[k]] = (mask & (1u << k)) != 0;
          Visit(made, visit);
        }
      }
    }
    if (families.empty()) Visit({}, visit);
  }

  // The folder as the program sees it, with nothing waiting for the disk.
  bool AllOnDisk() const {
    if (!pending_.empty() || names_ != durableNames_) return false;
    for (const auto& [name, file] : names_)
      if (!files_[static_cast<std::size_t>(file)].durable) return false;
    return true;
  }
  Tagged Current() const {
    Tagged folder;
    for (const auto& [name, file] : names_) folder[name] = files_[static_cast<std::size_t>(file)].tag;
    return folder;
  }
  // Every complete content the journal gave a name by renaming a file to it.
  const std::set<int>& VersionsOf(const std::string& name) { return renamedTo_[name]; }
  bool Deleted(const std::string& name) const { return deleted_.count(name) != 0; }

 private:
  struct File {
    int tag;
    bool durable;
  };
  // A rename (to not empty) or deletion of the file `file` from `from`.
  struct NameChange {
    int file;
    std::string from, to;
  };
  // NAME for NAME, NAME~ and NAME's temporary name.
  static std::string FamilyOf(std::string name) {
    if (IsTemporaryName(name)) name = name.substr(1, name.rfind('.') - 1);
    if (!name.empty() && name.back() == '~') name.pop_back();
    return name;
  }
  // The folder with the waiting changes `made` made, in journal order.
  void Visit(const std::vector<bool>& made, const std::function<void(const Tagged&)>& visit) {
    std::map<std::string, int> names = durableNames_;
    for (std::size_t i = 0; i < made.size(); ++i) {
      if (!made[i]) continue;
      const NameChange& c = pending_[i];
      const auto from = names.find(c.from);
      if (from != names.end() && from->second == c.file) names.erase(from);
      if (!c.to.empty()) names[c.to] = c.file;
    }
    Tagged folder;
    for (const auto& [name, file] : names) {
      const File& f = files_[static_cast<std::size_t>(file)];
      folder[name] = f.durable ? f.tag : tags_.Of(Bytes{});
    }
    if (seen_.insert(folder).second) visit(folder);
  }
  static std::string Relative(const std::string& path, const std::string& dir) {
    EXPECT_EQ(path.rfind(dir, 0), 0u) << path << " lies outside " << dir;
    return path.substr(dir.size());
  }
  int NewFile(const Bytes& bytes, bool durable) {
    files_.push_back({tags_.Of(bytes), durable});
    return static_cast<int>(files_.size() - 1);
  }

  ContentTags& tags_;
  std::vector<File> files_;
  std::map<std::string, int> names_;
  std::map<std::string, int> durableNames_;
  std::vector<NameChange> pending_;
  std::map<std::string, std::set<int>> renamedTo_;
  std::set<std::string> deleted_;
  std::set<Tagged> seen_;
};

// A scratch folder on tmpfs where there is one: the restore flushes the
// folder it restores, and each crash folder is restored once. (Under Wine
// every scratch folder is on one already: temp_folder.h.)
std::string ScratchBase() {
#if defined(_WIN32)
  return {};
#else
  return fs::is_directory("/dev/shm") ? "/dev/shm" : "";
#endif
}

class Scratch {
 public:
  Scratch() : temp_(ScratchBase()), dir_(temp_.Dir()) {}
  // Lays down `folder`, each file holding its tag, and gives the folder
  // after the restore command, read back the same way.
  Tagged Restored(const Tagged& folder) {
    for (const auto& entry : fs::directory_iterator(test::Native(dir_))) fs::remove(entry.path());
    for (const auto& [name, tag] : folder) {
      const std::string text = std::to_string(tag);
      test::WriteBytes(dir_ + name, Bytes(text.begin(), text.end()));
    }
    const BackupResult result = RestoreBackups(dir_);
    EXPECT_TRUE(result.passedOver.empty());
    Tagged after;
    for (const auto& [name, bytes] : test::Snapshot(dir_)) after[name] = std::stoi(std::string(bytes.begin(), bytes.end()));
    return after;
  }

 private:
  test::TempFolder temp_;
  std::string dir_;
};

std::string Describe(const Tagged& folder) {
  std::string text;
  for (const auto& [name, tag] : folder) text += " " + name + "=" + std::to_string(tag);
  return text;
}

// What one crash folder must satisfy; empty when it does, else why not.
using Rule = std::function<std::string(const Tagged&)>;

// With backups: the restore gives back `original` exactly.
Rule RestoresTo(const Tagged& original, Scratch& scratch) {
  return [original, &scratch](const Tagged& folder) -> std::string {
    const Tagged restored = scratch.Restored(folder);
    if (restored == original) return {};
    return "restore gives" + Describe(restored) + "\n instead of" + Describe(original);
  };
}

// Without backups: every name holds its old bytes or complete new ones, and
// only the names the run deletes may be gone.
Rule OldOrNewBytes(const Tagged& original, CrashStates& states) {
  return [original, &states](const Tagged& folder) -> std::string {
    for (const auto& [name, tag] : original) {
      if (!folder.count(name) && !states.Deleted(name)) return name + " is gone";
    }
    for (const auto& [name, tag] : folder) {
      if (IsTemporaryName(name)) continue;
      const auto old = original.find(name);
      if ((old != original.end() && old->second == tag) || states.VersionsOf(name).count(tag)) continue;
      return name + " holds neither its old nor complete new bytes";
    }
    return {};
  };
}

struct Replay {
  std::string firstViolation;  // empty when every crash folder kept the rule
  int folders = 0;             // crash folders checked
  bool finishedOnDisk = false; // after the last entry the disk holds the finished folder
};

// Replays `journal` over `original` and checks `rule` on every crash folder,
// stopping at the first that breaks it when `stopAtFirst`.
Replay ReplayJournal(const Files& original, const std::vector<Entry>& journal, const std::string& dir,
                     const Files& finished, const std::function<Rule(CrashStates&, const Tagged&)>& makeRule,
                     ContentTags& tags, bool stopAtFirst) {
  CrashStates states(original, tags);
  const Tagged originalTags = tags.Of(original);
  const Rule rule = makeRule(states, originalTags);
  Replay replay;
  auto check = [&](std::size_t prefix) {
    states.ForEach([&](const Tagged& folder) {
      if (stopAtFirst && !replay.firstViolation.empty()) return;
      ++replay.folders;
      const std::string why = rule(folder);
      if (!why.empty() && replay.firstViolation.empty())
        replay.firstViolation = "after journal entry " + std::to_string(prefix) + ": " + why;
    });
  };
  check(0);
  for (std::size_t i = 0; i < journal.size(); ++i) {
    states.Apply(journal[i], dir);
    check(i + 1);
    if (stopAtFirst && !replay.firstViolation.empty()) return replay;
  }
  replay.finishedOnDisk = states.AllOnDisk() && states.Current() == tags.Of(finished);
  return replay;
}

// The run of these tests, on a fresh copy of the disc, journaled.
struct JournaledRun {
  test::TempFolder work;
  std::string dir;
  Files original, finished;
  std::vector<Entry> journal;
  long flushes = 0;

  JournaledRun(bool backup, long leaveOutFlush) {
    dir = work / "VIDEO_TS" + test::kDelimiter;
    test::CopyFolder(dvdcheck::FixtureVideoTs("ntsc_two_sets").string(), dir);
    original = test::Snapshot(dir);
    TTitleSet run(dir);
    run.FBackup = backup;
    run.FRemoveAudioSubMapping = run.FRemoveStops = true;
    run.FBlankVmgMenu = true;
    run.FVideoList = {"1", "2"};
    run.FMenuList = {"1", "2"};
    test::TestFileSystem files;
    files.StartJournal();
    files.LeaveOutFlush(leaveOutFlush);
    const TStatus status = run.Process();
    flushes = files.Flushes();
    journal = files.StopJournal();
    EXPECT_EQ(status, kStatusOk) << run.FStatusDetail;
    finished = test::Snapshot(dir);
  }
};

Rule RuleFor(bool backup, Scratch& scratch, CrashStates& states, const Tagged& original) {
  return backup ? RestoresTo(original, scratch) : OldOrNewBytes(original, states);
}

class CrashDuringARun : public ::testing::TestWithParam<bool> {};

TEST_P(CrashDuringARun, LosesNothingAtAnyMoment) {
  const bool backup = GetParam();
  JournaledRun run(backup, 0);
  ASSERT_FALSE(run.journal.empty());
  Scratch scratch;
  ContentTags tags;
  const Replay replay = ReplayJournal(
      run.original, run.journal, run.dir, run.finished,
      [&](CrashStates& states, const Tagged& original) { return RuleFor(backup, scratch, states, original); }, tags,
      false);
  EXPECT_EQ(replay.firstViolation, "");
  EXPECT_TRUE(replay.finishedOnDisk) << "the run reported success with changes not yet on the disk";
  EXPECT_GT(replay.folders, 50);
  std::cout << "[          ] " << run.journal.size() << " journal entries, " << run.flushes << " flushes, "
            << replay.folders << " crash folders checked\n";
}

// Each flush the run makes is needed: without any one of them some crash
// folder loses data, or the run reports success before all is on the disk.
TEST_P(CrashDuringARun, NeedsEveryOneOfItsFlushes) {
  const bool backup = GetParam();
  const long flushes = JournaledRun(backup, 0).flushes;
  ASSERT_GT(flushes, 3);
  Scratch scratch;
  for (long n = 1; n <= flushes; ++n) {
    JournaledRun run(backup, n);
    ContentTags tags;
    const Replay replay = ReplayJournal(
        run.original, run.journal, run.dir, run.finished,
        [&](CrashStates& states, const Tagged& original) { return RuleFor(backup, scratch, states, original); }, tags,
        true);
    EXPECT_TRUE(!replay.firstViolation.empty() || !replay.finishedOnDisk) << "flush " << n << " of " << flushes;
  }
}

INSTANTIATE_TEST_SUITE_P(Backups, CrashDuringARun, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "WithBackups" : "WithoutBackups"; });

// The backup commands after a run with backups: a crash in the middle of a
// restore leaves a folder that a second restore turns into the original, and
// one in the middle of a deletion leaves the blanked disc whole.
TEST(CrashDuringABackupCommand, LosesNothingAtAnyMoment) {
  JournaledRun run(true, 0);
  Scratch scratch;
  ContentTags tags;

  test::TestFileSystem files;
  files.StartJournal();
  const BackupResult restored = RestoreBackups(run.dir);
  std::vector<Entry> journal = files.StopJournal();
  ASSERT_TRUE(restored.passedOver.empty() && restored.flushError.empty());
  ASSERT_EQ(test::Snapshot(run.dir), run.original);
  Replay replay = ReplayJournal(
      run.finished, journal, run.dir, run.original,
      [&](CrashStates&, const Tagged&) { return RestoresTo(tags.Of(run.original), scratch); }, tags, false);
  EXPECT_EQ(replay.firstViolation, "");
  EXPECT_TRUE(replay.finishedOnDisk);

  // Blank again, then delete the backups.
  JournaledRun again(true, 0);
  Files blanked;
  for (const auto& [name, bytes] : again.finished)
    if (name.back() != '~') blanked[name] = bytes;
  files.StartJournal();
  const BackupResult deleted = DeleteBackups(again.dir);
  journal = files.StopJournal();
  ASSERT_TRUE(deleted.passedOver.empty() && deleted.flushError.empty());
  ASSERT_EQ(test::Snapshot(again.dir), blanked);
  const Tagged blankedTags = tags.Of(blanked);
  replay = ReplayJournal(
      again.finished, journal, again.dir, blanked,
      [&](CrashStates&, const Tagged&) -> Rule {
        return [&blankedTags](const Tagged& folder) -> std::string {
          for (const auto& [name, tag] : blankedTags) {
            const auto it = folder.find(name);
            if (it == folder.end() || it->second != tag) return name + " changed";
          }
          return {};
        };
      },
      tags, false);
  EXPECT_EQ(replay.firstViolation, "");
  EXPECT_TRUE(replay.finishedOnDisk);
}

}  // namespace
}  // namespace kestrune
