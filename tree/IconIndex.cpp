#include "tree/IconIndex.h"

#include "platform/system/CaseMapping.h"

namespace qs {

int GetIconIndexOfLowerCasePath(std::u16string_view lowerCasePath, bool isFolder) {
    const auto contains = [lowerCasePath](std::u16string_view part) {
        return lowerCasePath.find(part) != std::u16string_view::npos;
    };
    if (isFolder) {
        return contains(u"recycle") ? ICON_RECYCLE_FOLDER : ICON_FOLDER;
    }
    struct Rule {
        std::u16string_view part;
        int index;
    };
    static constexpr Rule kRules[] = {
        {u".mui", ICON_MUI},    {u".dat", ICON_DAT}, {u".log", ICON_LOG}, {u".exe", ICON_EXE},
        {u"bootmgr", ICON_EXE}, {u".dll", ICON_DLL}, {u".ttf", ICON_TTF},
    };
    for (const Rule& rule : kRules) {
        if (contains(rule.part)) {
            return rule.index;
        }
    }
    return ICON_OTHER_FILE;
}

int GetIconIndex(std::u16string_view fullPath, bool isFolder) {
    return GetIconIndexOfLowerCasePath(ToLowerCase(fullPath), isFolder);
}

}  // namespace qs
