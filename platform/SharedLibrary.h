#pragma once

// A shared object loaded with local binding (dlopen RTLD_NOW | RTLD_LOCAL):
// its symbols are found by name, and it is released exactly once, when the
// object goes. Loading the same file twice gives two references to one
// loaded object; the code stays mapped until the last reference goes.

#include <QString>
#include <memory>

namespace platform {

class SharedLibrary {
public:
    // Loads `path`; null when it cannot be loaded, with the loader's reason in
    // `error` (if given). A name without "/" is taken relative to the current
    // directory, never looked up in the library search path.
    static std::unique_ptr<SharedLibrary> open(const QString& path, QString* error = nullptr);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of the exported symbol `name`, or null when it is missing.
    [[nodiscard]] void* symbol(const char* name) const;
    // The loaded object's real path (symbolic links resolved); empty when the
    // system cannot tell.
    [[nodiscard]] QString realPath() const;

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

} // namespace platform
