#include "platform/StopRequest.h"

#include <atomic>

namespace skyroll::platform {
namespace {

// A lock-free atomic may be set from a signal handler.
static_assert(std::atomic<bool>::is_always_lock_free);
std::atomic<bool> g_stopRequested{false};

}  // namespace

void requestStop() noexcept { g_stopRequested.store(true, std::memory_order_relaxed); }

bool stopRequested() noexcept { return g_stopRequested.load(std::memory_order_relaxed); }

void clearStopRequest() noexcept { g_stopRequested.store(false, std::memory_order_relaxed); }

}  // namespace skyroll::platform
