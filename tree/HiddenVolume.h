// The rule that picks the hidden system volume among the machine's volumes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system/VolumeQueries.h"

namespace qs {

// The largest total size, in bytes, of a volume taken for the hidden system volume (500 MiB).
constexpr uint64_t MAX_HIDDEN_VOLUME_SIZE = 0x1F400000;

// True when the volume is a fixed NTFS volume of at most MAX_HIDDEN_VOLUME_SIZE bytes with no
// drive letter and no mounted folder. The tests run in a fixed order and stop at the first that
// fails, so a volume rejected early is asked nothing more.
bool IsHiddenSystemVolume(VolumeQueries& queries, const std::u16string& volumeName);

// The first volume in enumeration order that passes IsHiddenSystemVolume; nothing when the
// enumeration cannot start or no volume passes.
std::optional<std::u16string> FindHiddenSystemVolume(VolumeQueries& queries);

}  // namespace qs
