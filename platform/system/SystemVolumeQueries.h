// The machine's own volume queries. Win32 only.
#pragma once

#include <memory>

#include "platform/system/VolumeQueries.h"

namespace qs {

std::unique_ptr<VolumeQueries> CreateSystemVolumeQueries();

}  // namespace qs
