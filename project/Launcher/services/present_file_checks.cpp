#include "project/Launcher/services/present_file_checks.h"

void PresentFileChecks::Add(Check check) {
  total_bytes_ += check.size;
  entries_.push_back(Entry{std::move(check), nullptr});
}

bool PresentFileChecks::TakeFinished(Check* check, std::string* md5) {
  if (entries_.empty()) return false;
  Entry& front = entries_.front();
  if (!front.hasher) {
    front.hasher = std::make_unique<FileHasher>(front.check.localFile, front.check.size);
    front.hasher->Advance(front.check.size);  // the whole file is final
  }
  md5->clear();
  if (!front.hasher->Finished(md5)) return false;
  *check = std::move(front.check);
  done_bytes_ += check->size;
  entries_.pop_front();
  return true;
}

bool PresentFileChecks::TakeProgress(int* percent) {
  if (total_bytes_ <= 0) return false;
  int64_t checked = done_bytes_;
  if (!entries_.empty() && entries_.front().hasher) checked += entries_.front().hasher->hashed();
  const int now = static_cast<int>(checked * 100 / total_bytes_);
  const bool changed = now != reported_;
  reported_ = now;
  *percent = now;
  if (entries_.empty()) {  // the run is over; the next check starts a new one
    total_bytes_ = 0;
    done_bytes_ = 0;
    reported_ = -1;
  }
  return changed;
}

void PresentFileChecks::Clear() {
  entries_.clear();
  total_bytes_ = 0;
  done_bytes_ = 0;
  reported_ = -1;
}
