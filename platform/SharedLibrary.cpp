#include "platform/SharedLibrary.h"

#include <QFile>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>

namespace platform {

std::unique_ptr<SharedLibrary> SharedLibrary::open(const QString& path, QString* error) {
    // dlopen searches the library path for a bare name; we want the file named.
    const QString named = path.contains(u'/') ? path : QStringLiteral("./") + path;
    ::dlerror();
    void* handle = path.isEmpty()
                       ? nullptr
                       : ::dlopen(QFile::encodeName(named).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) {
            const char* reason = ::dlerror();
            *error = reason ? QString::fromLocal8Bit(reason) : QStringLiteral("empty file name");
        }
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
    ::dlclose(handle_);
}

void* SharedLibrary::symbol(const char* name) const {
    return ::dlsym(handle_, name);
}

QString SharedLibrary::realPath() const {
    link_map* map = nullptr;
    if (::dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name ||
        map->l_name[0] == '\0')
        return {};
    char resolved[PATH_MAX];
    if (!::realpath(map->l_name, resolved))
        return {};
    return QFile::decodeName(resolved);
}

} // namespace platform
