#include "gui/NamedMutex.h"

#include <fcntl.h>
#include <semaphore.h>

namespace vidtrawl::gui {

void CreateNamedMutex() {
  // A named semaphore of count 1 is the platform's named mutex; it is never
  // waited on, posted or closed, and a failure to make it changes nothing.
  static sem_t *const mutex = ::sem_open("/Quillmarkvidtrawl", O_CREAT, 0600, 1);
  (void)mutex;
}

} // namespace vidtrawl::gui
