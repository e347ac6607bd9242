// Which of the tree's ten icons an item shows, chosen from its full path.
#pragma once

#include <string>
#include <string_view>

namespace qs {

// Positions in the tree's image list.
enum IconIndex : int {
    ICON_VOLUME = 0,
    ICON_FOLDER = 1,
    ICON_RECYCLE_FOLDER = 2,
    ICON_MUI = 3,
    ICON_DAT = 4,
    ICON_LOG = 5,
    ICON_EXE = 6,
    ICON_DLL = 7,
    ICON_TTF = 8,
    ICON_OTHER_FILE = 9,
    ICON_COUNT = 10,
};

// The rule over an already lower-cased full path. Substrings anywhere in the path decide, not
// the ending: folder names count too, and the first match in a fixed order wins.
int GetIconIndexOfLowerCasePath(std::u16string_view lowerCasePath, bool isFolder);

// The index (1 to 9) of an item other than the root, whose path is lower-cased the platform's
// way first.
int GetIconIndex(std::u16string_view fullPath, bool isFolder);

}  // namespace qs
