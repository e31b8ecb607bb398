// Long work over a disc's files (copying them out of an image, mastering an
// image) reports how far it has come, in bytes, to whoever shows it. The
// command line draws a bar on a terminal; without one nothing is shown.
#pragma once

#include <cstdint>
#include <string>

namespace kestrune {

class Progress {
 public:
  virtual ~Progress() = default;
  // Work of `totalBytes` starts; `what` names it ("Extracting movie.iso").
  virtual void Start(const std::string& what, std::int64_t totalBytes) = 0;
  // `doneBytes` of it are done (never more than the total).
  virtual void Update(std::int64_t doneBytes) = 0;
  // The work ended, done or not.
  virtual void Finish() = 0;
};

// Reports to `progress` when there is one.
class ProgressReport {
 public:
  ProgressReport(Progress* progress, const std::string& what, std::int64_t totalBytes) : progress_(progress) {
    if (progress_ != nullptr) progress_->Start(what, totalBytes);
  }
  ~ProgressReport() {
    if (progress_ != nullptr) progress_->Finish();
  }
  ProgressReport(const ProgressReport&) = delete;
  ProgressReport& operator=(const ProgressReport&) = delete;
  void Update(std::int64_t doneBytes) {
    if (progress_ != nullptr) progress_->Update(doneBytes);
  }

 private:
  Progress* progress_;
};

}  // namespace kestrune
