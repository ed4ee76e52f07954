// The program save writes through the platform's safe file writer (see
// core/platform/file_system.h for how it works).
#pragma once

#include "core/platform/file_system.h"

namespace qvt::transfer {

using AtomicFileWriter = platform::AtomicFileWriter;

}  // namespace qvt::transfer
