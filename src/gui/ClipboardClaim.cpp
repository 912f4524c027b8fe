#include "gui/ClipboardClaim.h"

#include "gui/DisplayFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace vidtrawl::gui {

ClipboardClaim::ClipboardClaim()
    : file_(DisplayFile(QStringLiteral("clipboard")) + QStringLiteral(".lock")) {}

bool ClipboardClaim::Take() {
  if (lock_)
    return true;
  base::FileDescriptor lock(::open(QFile::encodeName(file_).constData(),
                                   O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  problem_ = lock ? QString() : QString::fromLocal8Bit(std::strerror(errno));
  if (lock && ::flock(lock.Get(), LOCK_EX | LOCK_NB) == 0)
    lock_ = std::move(lock);
  return Held();
}

} // namespace vidtrawl::gui
