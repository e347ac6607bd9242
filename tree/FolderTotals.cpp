#include "tree/FolderTotals.h"

#include <limits>

#include "tree/ItemPath.h"

namespace qs {

namespace {

// Marks a node not to be listed: a junction or a symbolic link.
constexpr std::uint32_t kNotEntered = std::numeric_limits<std::uint32_t>::max();

}  // namespace

const FolderTotal* FolderTotals::Find(std::u16string_view relativePath) const {
    if (m_nodes.empty()) {
        return nullptr;
    }
    std::uint32_t at = 0;
    while (!relativePath.empty()) {
        const std::size_t end = relativePath.find(u'\\');
        const std::u16string_view name = relativePath.substr(0, end);
        relativePath =
            end == std::u16string_view::npos ? std::u16string_view() : relativePath.substr(end + 1);
        const Node& node = m_nodes[at];
        std::uint32_t found = kNotEntered;
        for (std::uint32_t child = node.firstChild;
             child < node.firstChild + node.childCount && found == kNotEntered; ++child) {
            if (NameOf(m_nodes[child]) == name) {
                found = child;
            }
        }
        if (found == kNotEntered) {
            return nullptr;
        }
        at = found;
    }
    return &m_nodes[at].total;
}

std::u16string FolderTotals::PathOf(std::uint32_t index, const std::u16string& rootPath) const {
    std::vector<std::uint32_t> chain;
    for (; index != 0; index = m_nodes[index].parent) {
        chain.push_back(index);
    }
    std::u16string path = rootPath;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path = MakeItemPath(path, NameOf(m_nodes[*it]));
    }
    return path;
}

bool FolderTotals::Count(FolderLister& lister, const std::u16string& rootPath,
                         const std::function<bool()>& stopRequested) {
    m_nodes.assign(1, Node());
    m_names.clear();
    std::vector<FolderEntry> entries;
    for (std::uint32_t at = 0; at < m_nodes.size(); ++at) {
        if (stopRequested && stopRequested()) {
            return false;
        }
        const auto firstChild = static_cast<std::uint32_t>(m_nodes.size());
        if (m_nodes[at].firstChild == kNotEntered) {
            m_nodes[at].firstChild = firstChild;
            continue;
        }
        const bool whole = lister.List(PathOf(at, rootPath), entries);
        FolderTotal own;
        own.unreadableFolders = whole ? 0 : 1;
        for (const FolderEntry& entry : entries) {
            if (!entry.isFolder) {
                own.bytes += entry.size;
                ++own.files;
                continue;
            }
            Node child;
            child.parent = at;
            child.firstChild = entry.isReparsePoint ? kNotEntered : 0;
            child.nameOffset = static_cast<std::uint32_t>(m_names.size());
            child.nameLength = static_cast<std::uint32_t>(entry.name.size());
            m_names += entry.name;
            m_nodes.push_back(child);
        }
        Node& node = m_nodes[at];
        node.total = own;
        node.firstChild = firstChild;
        node.childCount = static_cast<std::uint32_t>(m_nodes.size()) - firstChild;
    }
    for (std::size_t at = m_nodes.size(); at-- > 1;) {
        FolderTotal& parent = m_nodes[m_nodes[at].parent].total;
        const FolderTotal& child = m_nodes[at].total;
        parent.bytes += child.bytes;
        parent.files += child.files;
        parent.unreadableFolders += child.unreadableFolders;
    }
    m_nodes.shrink_to_fit();
    m_names.shrink_to_fit();
    return true;
}

}  // namespace qs
