#pragma once

// One end of the socket between the sorter and a decoder: sends frames (a
// file descriptor may ride along with one) and gathers what arrives into
// whole frames and the descriptors that came with them. Owns the socket and
// every descriptor received and not yet taken.

#include "decoder/Protocol.h"

#include <deque>
#include <optional>

namespace decoder {

struct Frame {
    MessageType type = MessageType::Hello;
    QByteArray payload;
};

class Channel {
public:
    explicit Channel(int socket) : socket_(socket) {}
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    [[nodiscard]] int socket() const { return socket_; }

    // Sends one message, with `descriptor` (when not -1) passed beside it.
    // False when the other side is gone.
    bool send(MessageType type, const QByteArray& payload, int descriptor = -1);

    enum class ReadStatus { Data, Nothing, Closed };
    // Takes in what has arrived; with `wait`, waits until something has.
    // Closed: the other side is gone, or the socket failed.
    ReadStatus receive(bool wait);

    // The next whole frame received, if any. A frame that can never be valid
    // (an unknown type, a payload above MaxFramePayload) sets `broken`.
    [[nodiscard]] std::optional<Frame> nextFrame(bool* broken);
    // True when part of a frame has arrived and waits for the rest.
    [[nodiscard]] bool hasPartialFrame() const { return !buffer_.isEmpty(); }

    // The oldest descriptor received and not yet taken, or -1; the caller owns it.
    [[nodiscard]] int takeDescriptor();

private:
    int socket_;
    QByteArray buffer_;
    std::deque<int> descriptors_;
};

} // namespace decoder
