// The counters behind mapping::GetCounters, bumped by the platform halves. Internal to platform/.
#pragma once

#include <atomic>
#include <cstdint>

namespace qs {
namespace mapping {
namespace detail {

struct AtomicCounters {
    std::atomic<std::uint64_t> filesOpened{0};
    std::atomic<std::uint64_t> filesClosed{0};
    std::atomic<std::uint64_t> mappingsCreated{0};
    std::atomic<std::uint64_t> mappingsClosed{0};
    std::atomic<std::uint64_t> viewsMapped{0};
    std::atomic<std::uint64_t> viewsUnmapped{0};
    std::atomic<std::uint64_t> bytesMapped{0};
};

extern AtomicCounters g_counters;

inline void Count(std::atomic<std::uint64_t>& counter, std::uint64_t amount = 1) {
    counter.fetch_add(amount, std::memory_order_relaxed);
}

}  // namespace detail
}  // namespace mapping
}  // namespace qs
