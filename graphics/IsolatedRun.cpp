#include "graphics/IsolatedRun.h"

#include "graphics/GraphicErrors.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace graphics {
namespace {

struct SharedHeader {
    int succeeded;
    std::size_t used;
};

// The shared mapping; pages are only committed as the child writes them.
class SharedMemory {
public:
    explicit SharedMemory(std::size_t bytes) : bytes_(bytes) {
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                       MAP_SHARED | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        address_ = p == MAP_FAILED ? nullptr : p;
    }
    ~SharedMemory() {
        if (address_)
            munmap(address_, bytes_);
    }
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    [[nodiscard]] void* address() const { return address_; }

private:
    void* address_ = nullptr;
    std::size_t bytes_;
};

// Waits for the child until the deadline; true when it ended, with its status.
bool waitForChild(pid_t child, QDeadlineTimer deadline, int& status) {
    const int pidfd = int(syscall(SYS_pidfd_open, child, 0));
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child)
            break;
        if (ended < 0 && errno != EINTR)
            break;
        if (deadline.hasExpired()) {
            if (pidfd >= 0)
                close(pidfd);
            return false;
        }
        const int remaining = int(std::min<qint64>(deadline.remainingTime(), 1000));
        if (pidfd >= 0) {
            pollfd fd{pidfd, POLLIN, 0};
            poll(&fd, 1, remaining);
        } else {
            // Kernels without process descriptors: look again shortly.
            usleep(2000);
        }
    }
    if (pidfd >= 0)
        close(pidfd);
    return true;
}

} // namespace

QByteArray runIsolated(const IsolatedWork& work, std::size_t capacity,
                       std::chrono::milliseconds timeLimit) {
    SharedMemory memory(sizeof(SharedHeader) + capacity);
    if (!memory.address())
        throw EInvalidGraphic(QStringLiteral("メモリが足りません"));
    auto* header = static_cast<SharedHeader*>(memory.address());
    char* out = static_cast<char*>(memory.address()) + sizeof(SharedHeader);
    header->succeeded = 0;
    header->used = 0;

    const pid_t child = fork();
    if (child < 0)
        throw EInvalidGraphic(QStringLiteral("画像を描く準備ができません"));
    if (child == 0) {
        std::size_t used = 0;
        bool succeeded = false;
        try {
            succeeded = work(out, capacity, used);
        } catch (...) {
            succeeded = false;
        }
        header->used = std::min(used, capacity);
        header->succeeded = succeeded ? 1 : 0;
        _exit(0);
    }

    int status = 0;
    if (!waitForChild(child, QDeadlineTimer(timeLimit), status)) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        throw EInvalidGraphic(QStringLiteral("画像を描くのに時間がかかりすぎます"));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw EInvalidGraphic(QStringLiteral("画像を描く途中で異常終了しました"));
    if (!header->succeeded)
        throw EInvalidGraphic(QStringLiteral("画像を描けません"));
    return QByteArray(out, qsizetype(std::min(header->used, capacity)));
}

} // namespace graphics
