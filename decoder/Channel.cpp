#include "decoder/Channel.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace decoder {

namespace {

constexpr int HeaderBytes = 5;
constexpr int MaxDescriptorsPerRead = 8;

bool knownType(quint8 type) {
    switch (MessageType(type)) {
    case MessageType::Hello:
    case MessageType::Configure:
    case MessageType::Decode:
    case MessageType::PluginLoading:
    case MessageType::Catalogue:
    case MessageType::Result:
    case MessageType::Refused:
        return true;
    }
    return false;
}

} // namespace

Channel::~Channel() {
    for (int descriptor : descriptors_)
        ::close(descriptor);
    if (socket_ >= 0)
        ::close(socket_);
}

bool Channel::send(MessageType type, const QByteArray& payload, int descriptor) {
    const QByteArray bytes = frame(type, payload);
    qsizetype sent = 0;
    bool descriptorSent = descriptor < 0;
    while (sent < bytes.size()) {
        iovec part{const_cast<char*>(bytes.constData() + sent), std::size_t(bytes.size() - sent)};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        if (!descriptorSent) {
            std::memset(control, 0, sizeof control);
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            cmsghdr* header = CMSG_FIRSTHDR(&message);
            header->cmsg_level = SOL_SOCKET;
            header->cmsg_type = SCM_RIGHTS;
            header->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(header), &descriptor, sizeof(int));
        }
        const ssize_t written = ::sendmsg(socket_, &message, MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        descriptorSent = true;
        sent += written;
    }
    return true;
}

Channel::ReadStatus Channel::receive(bool wait) {
    char chunk[64 * 1024];
    ReadStatus status = ReadStatus::Nothing;
    for (;;) {
        iovec part{chunk, sizeof chunk};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * MaxDescriptorsPerRead)];
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const int flags =
            MSG_CMSG_CLOEXEC | (wait && status == ReadStatus::Nothing ? 0 : MSG_DONTWAIT);
        const ssize_t got = ::recvmsg(socket_, &message, flags);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return status;
            return ReadStatus::Closed;
        }
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
             header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
                continue;
            const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int descriptor = -1;
                std::memcpy(&descriptor, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
                descriptors_.push_back(descriptor);
            }
        }
        if (got == 0)
            return ReadStatus::Closed;
        buffer_.append(chunk, qsizetype(got));
        status = ReadStatus::Data;
        if (std::size_t(got) < sizeof chunk)
            return status;
    }
}

std::optional<Frame> Channel::nextFrame(bool* broken) {
    *broken = false;
    if (buffer_.size() < HeaderBytes)
        return std::nullopt;
    const auto* header = reinterpret_cast<const unsigned char*>(buffer_.constData());
    const quint32 length = quint32(header[0]) | quint32(header[1]) << 8 | quint32(header[2]) << 16 |
                           quint32(header[3]) << 24;
    if (length > MaxFramePayload || !knownType(header[4])) {
        *broken = true;
        return std::nullopt;
    }
    if (quint64(buffer_.size()) < HeaderBytes + quint64(length))
        return std::nullopt;
    Frame result;
    result.type = MessageType(header[4]);
    result.payload = buffer_.mid(HeaderBytes, qsizetype(length));
    buffer_.remove(0, HeaderBytes + qsizetype(length));
    return result;
}

int Channel::takeDescriptor() {
    if (descriptors_.empty())
        return -1;
    const int descriptor = descriptors_.front();
    descriptors_.pop_front();
    return descriptor;
}

} // namespace decoder
