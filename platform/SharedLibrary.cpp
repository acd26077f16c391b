#include "platform/SharedLibrary.h"

#include "platform/NativePath.h"

#include <QScopeGuard>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// The loader maps each loadable segment of a shared object straight from the
// file; a segment reaching past the end of a cut-short file faults (SIGBUS) in
// the loader itself, taking the process down. Empty when the file covers every
// segment it names, else why not. Files that are no 64-bit ELF are left to
// the loader, which refuses them cleanly.
QString checkLoadableSegments(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return {};
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const auto fileSize = static_cast<quint64>(st.st_size);
    Elf64_Ehdr header{};
    if (::pread(fd, &header, sizeof header, 0) != ssize_t(sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
        return {};
    const QString cutShort = QStringLiteral("file cut short: it ends before the parts it names");
    if (header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum == 0 ||
        header.e_phnum == PN_XNUM)
        return QStringLiteral("no usable program headers");
    const quint64 tableBytes = quint64(header.e_phnum) * sizeof(Elf64_Phdr);
    if (header.e_phoff > fileSize || tableBytes > fileSize - header.e_phoff)
        return cutShort;
    std::vector<Elf64_Phdr> segments(header.e_phnum);
    if (::pread(fd, segments.data(), tableBytes, off_t(header.e_phoff)) != ssize_t(tableBytes))
        return cutShort;
    for (const Elf64_Phdr& segment : segments) {
        if (segment.p_type == PT_LOAD &&
            (segment.p_offset > fileSize || segment.p_filesz > fileSize - segment.p_offset))
            return cutShort;
    }
    return {};
}

} // namespace

std::unique_ptr<SharedLibrary> SharedLibrary::open(const QString& path, QString* error) {
    // dlopen searches the library path for a bare name; we want the file named.
    const QString named = path.contains(u'/') ? path : QStringLiteral("./") + path;
    if (const QString refused = checkLoadableSegments(encodePath(named)); !refused.isEmpty()) {
        if (error)
            *error = refused;
        return nullptr;
    }
    ::dlerror();
    void* handle =
        path.isEmpty() ? nullptr : ::dlopen(encodePath(named).constData(), RTLD_NOW | RTLD_LOCAL);
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
    return decodePath(resolved);
}

} // namespace platform
