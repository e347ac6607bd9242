#include "platform/system/FileMapping.h"

#include "platform/system/FileMappingCount.h"

namespace qs {
namespace mapping {

namespace detail {
AtomicCounters g_counters;
}

Counters GetCounters() {
    const auto& c = detail::g_counters;
    Counters out;
    out.filesOpened = c.filesOpened.load(std::memory_order_relaxed);
    out.filesClosed = c.filesClosed.load(std::memory_order_relaxed);
    out.mappingsCreated = c.mappingsCreated.load(std::memory_order_relaxed);
    out.mappingsClosed = c.mappingsClosed.load(std::memory_order_relaxed);
    out.viewsMapped = c.viewsMapped.load(std::memory_order_relaxed);
    out.viewsUnmapped = c.viewsUnmapped.load(std::memory_order_relaxed);
    out.bytesMapped = c.bytesMapped.load(std::memory_order_relaxed);
    return out;
}

}  // namespace mapping
}  // namespace qs
