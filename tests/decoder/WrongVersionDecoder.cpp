// A decoder of another protocol version: greets with the next version and
// then waits for the sorter to give up on it.

#include "decoder/Channel.h"

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3 || std::strcmp(argv[1], "--socket") != 0)
        return 1;
    decoder::Channel channel(std::atoi(argv[2]));
    channel.send(decoder::MessageType::Hello,
                 decoder::encode(decoder::Hello{decoder::ProtocolVersion + 1}));
    while (channel.receive(true) != decoder::Channel::ReadStatus::Closed) {
    }
    return 0;
}
