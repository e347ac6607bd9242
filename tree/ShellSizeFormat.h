// Sizes as the shell writes them ("403 KB", "3.48 MB") and counts in the user's number format,
// for the size lines and the rows. Win32 only.
#pragma once

#include "tree/SizeLines.h"

namespace qs {

const SizeFormatter& GetShellSizeFormatter();

}  // namespace qs
