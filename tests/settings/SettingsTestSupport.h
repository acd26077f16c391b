#pragma once

#include "support/TempDir.h"

#include <QDir>
#include <QStandardPaths>
#include <csignal>
#include <sys/resource.h>

// Where the program's settings file lives inside the test's configuration folder.
inline QString storeFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Varno/Sorteka.ini";
}

inline void writeStore(const QByteArray& ini) {
    QDir().mkpath(QFileInfo(storeFile()).absolutePath());
    QFile f(storeFile());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the settings file");
    f.write(ini);
}

inline void removeStore() {
    QDir(QFileInfo(storeFile()).absolutePath()).removeRecursively();
}

// While alive, this process cannot write any byte to a file: writes fail as on a
// full disk, also for root, which ignores permission bits.
class NoFileSpace {
public:
    // `bytes`: how much any one file may hold from now on.
    explicit NoFileSpace(rlim_t bytes = 0) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = saved_;
        none.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileSpace() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    NoFileSpace(const NoFileSpace&) = delete;
    NoFileSpace& operator=(const NoFileSpace&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};
