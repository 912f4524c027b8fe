#pragma once

namespace vidtrawl::gui {

// The program's named object, "Quillmarkvidtrawl", made (or opened) at
// start and kept until the process ends. Nothing looks at it: a second copy
// starts and runs beside the first like any other.
void CreateNamedMutex();

} // namespace vidtrawl::gui
