#pragma once

// Reports decoding progress to the host's callback and tells the decoder when
// the host asked to stop. The callback is called at the start, at the end and
// about every 1/64 of the way, so a per-row call stays cheap.

#include "sdk/sorteka_spi.h"

#include <cstdint>

namespace spi {

class Progress {
public:
    // `total` steps (e.g. rows) make up the whole decode; a null callback never stops.
    Progress(SpiProgressCallback callback, intptr_t user, std::int64_t total);

    // Reports that `current` steps are done. False when the host wants the
    // decode to stop; the decoder then returns SPI_ABORTED.
    [[nodiscard]] bool report(std::int64_t current);

    [[nodiscard]] std::int64_t total() const { return total_; }

private:
    SpiProgressCallback callback_;
    intptr_t user_;
    std::int64_t total_;
    std::int64_t interval_;
    std::int64_t next_ = 0;
    bool stopped_ = false;
};

} // namespace spi
