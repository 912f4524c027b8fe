#pragma once

#include "base/FileDescriptor.h"

#include <QString>

namespace vidtrawl::gui {

// Which running copy of the program watches a display's clipboard: the one
// that holds an exclusive lock on a file of the user's runtime folder named
// after the display. The lock goes with the copy, however it ends.
class ClipboardClaim {
public:
  // The lock file of the display the program runs on.
  ClipboardClaim();
  explicit ClipboardClaim(QString lockFile) : file_(std::move(lockFile)) {}

  // Takes the claim when no other copy holds it; true while this one does.
  bool Take();
  void Release() { lock_.Reset(); }
  bool Held() const { return lock_.Valid(); }
  // Why the last Take failed when no other copy holds the claim: the lock file cannot be made
  // (the system's words); empty when another copy holds it.
  const QString &Problem() const { return problem_; }
  const QString &File() const { return file_; }

private:
  QString file_;
  base::FileDescriptor lock_;
  QString problem_;
};

} // namespace vidtrawl::gui
