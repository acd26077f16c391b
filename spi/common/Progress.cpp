#include "spi/common/Progress.h"

#include <algorithm>
#include <limits>

namespace spi {
namespace {

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

Progress::Progress(SpiProgressCallback callback, intptr_t user, std::int64_t total)
    : callback_(callback), user_(user), total_(std::max<std::int64_t>(total, 1)),
      interval_(std::max<std::int64_t>(total_ / 64, 1)) {}

bool Progress::report(std::int64_t current) {
    if (stopped_)
        return false;
    if (callback_ == nullptr)
        return true;
    current = std::clamp<std::int64_t>(current, 0, total_);
    if (current < next_ && current != total_)
        return true;
    next_ = current + interval_;
    // The interface counts in 32 bits; a longer count is scaled down.
    const std::int64_t scale = total_ / std::numeric_limits<std::int32_t>::max() + 1;
    stopped_ = callback_(clampToInt32(current / scale), clampToInt32(total_ / scale), user_) != 0;
    return !stopped_;
}

} // namespace spi
