#include "tree/ItemPath.h"

namespace qs {

namespace {

bool EndsWithBackslash(std::u16string_view s) {
    return !s.empty() && s.back() == u'\\';
}

}  // namespace

std::u16string MakeItemPath(std::u16string_view parentPath, std::u16string_view name) {
    std::u16string path(parentPath);
    if (!EndsWithBackslash(path)) {
        path += u'\\';
    }
    path += name;
    return path;
}

void PrependItemText(std::u16string& path, std::u16string_view text) {
    if (EndsWithBackslash(text)) {
        path.insert(0, text);
    } else if (!path.empty()) {
        path.insert(0, 1, u'\\');
        path.insert(0, text);
    } else {
        path = text;
    }
}

std::u16string JoinItemTexts(const std::vector<std::u16string>& textsLeafFirst) {
    std::u16string path;
    for (const std::u16string& text : textsLeafFirst) {
        PrependItemText(path, text);
    }
    return path;
}

std::u16string MakeSearchPattern(std::u16string_view folderPath) {
    std::u16string pattern(folderPath);
    pattern += EndsWithBackslash(folderPath) ? u"*.*" : u"\\*.*";
    return pattern;
}

bool IsDotEntry(std::u16string_view name, uint32_t attributes) {
    return (attributes & ENTRY_ATTRIBUTE_DIRECTORY) != 0 && (name == u"." || name == u"..");
}

void FolderListing::Add(std::u16string_view name, uint32_t attributes) {
    if (IsDotEntry(name, attributes)) {
        return;
    }
    if ((attributes & ENTRY_ATTRIBUTE_DIRECTORY) != 0) {
        folders.emplace_back(name);
    } else {
        files.emplace_back(name);
    }
}

}  // namespace qs
