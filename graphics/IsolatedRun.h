#pragma once

// Runs untrusted decoding work (C libraries fed with hostile files) in a child
// process, so that a crash or a hang inside a library costs one picture, never
// the program. The child writes its result into memory shared with us.

#include <QByteArray>
#include <chrono>
#include <cstddef>
#include <functional>

namespace graphics {

// Writes the result into `out` (at most `capacity` bytes) and sets `used`;
// returns false when the work failed.
using IsolatedWork = std::function<bool(char* out, std::size_t capacity, std::size_t& used)>;

// Runs `work` in a child process and returns what it wrote. Raises
// EInvalidGraphic when the work fails, crashes, or is not done within `timeLimit`
// (the child is then killed).
[[nodiscard]] QByteArray runIsolated(const IsolatedWork& work, std::size_t capacity,
                                     std::chrono::milliseconds timeLimit);

} // namespace graphics
