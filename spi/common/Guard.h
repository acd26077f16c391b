#pragma once

// Keeps C++ exceptions inside a plug-in: the host calls through a C interface.

#include "sdk/sorteka_spi.h"

#include <cstdint>
#include <new>

namespace spi {

template <class Body> [[nodiscard]] std::int32_t guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return SPI_NO_MEMORY;
    } catch (...) {
        return SPI_INTERNAL_ERROR;
    }
}

} // namespace spi
