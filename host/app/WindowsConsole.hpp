// The Windows console as UTF-8 streams. The host's texts are UTF-8, and a console
// speaks UTF-16: its C runtime would pass the bytes through a code page (the OEM
// one, 866 on a Russian system, or a byte per character), and a Cyrillic menu, a
// Greek path typed or shown, would come out as other letters.
#pragma once

#include <istream>
#include <memory>
#include <ostream>

namespace velmora::host {

// [UI thread, at the start] Standard output and input as UTF-8 streams when they are
// a console (else null: files and pipes get the UTF-8 bytes as they are). Writing
// is [any thread], serialised by the caller (the transcript); reading is one
// thread's. The streams live as long as the returned objects.
std::unique_ptr<std::ostream> ConsoleOutput();
std::unique_ptr<std::istream> ConsoleInput();

} // namespace velmora::host
