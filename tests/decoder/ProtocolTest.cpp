// The conversation's edge cases, against a real decoder process over a real
// socket: whatever arrives, the decoder ends with a clear exit code, never a
// crash; and no message decodes from a cut-off or padded payload.

#include "decoder/Protocol.h"

#include "DecoderFixture.h"
#include "decoder/Channel.h"

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace decoder;

namespace {

// A decoder started on one end of a socket pair; the test holds the other.
class RawDecoder {
public:
    RawDecoder() {
        int pair[2];
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pair[1], 3);
        char* arguments[] = {const_cast<char*>(SORTEKA_TEST_DECODER), const_cast<char*>("--socket"),
                             const_cast<char*>("3"), nullptr};
        ::posix_spawn(&pid_, SORTEKA_TEST_DECODER, &actions, nullptr, arguments, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pair[1]);
        channel = std::make_unique<Channel>(pair[0]);
    }
    ~RawDecoder() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // The next frame, waiting for it; nothing once the decoder has gone.
    std::optional<Frame> next() {
        for (;;) {
            bool broken = false;
            if (auto frame = channel->nextFrame(&broken))
                return frame;
            if (broken || channel->receive(true) == Channel::ReadStatus::Closed)
                return std::nullopt;
        }
    }
    void sendRaw(const QByteArray& bytes) {
        ::send(channel->socket(), bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
    }
    // The decoder's wait status once it has ended.
    int status() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

    std::unique_ptr<Channel> channel;

private:
    pid_t pid_ = -1;
};

struct BadTalk {
    const char* what;
    std::function<void(RawDecoder&)> talk;
    int exitCode;
};

void greet(RawDecoder& decoder) {
    decoder.channel->send(MessageType::Hello, encode(Hello{}));
}

void greetAndConfigure(RawDecoder& decoder) {
    greet(decoder);
    decoder.channel->send(MessageType::Configure, encode(Configure{}));
    for (auto frame = decoder.next(); frame && frame->type != MessageType::Catalogue;)
        frame = decoder.next();
}

} // namespace

TEST(DecoderProtocol, EndsEveryBrokenConversationWithAnExitCodeNotACrash) {
    const QByteArray request = encode(DecodeRequest{7, "/tmp/x.bmp", {}, 10, 10});
    const std::vector<BadTalk> cases = {
        {"another version",
         [](RawDecoder& d) {
             d.channel->send(MessageType::Hello, encode(Hello{ProtocolVersion + 1}));
         },
         2},
        {"unknown type", [](RawDecoder& d) { d.sendRaw(QByteArray("\0\0\0\0\x63", 5)); }, 3},
        {"oversized frame", [](RawDecoder& d) { d.sendRaw(QByteArray("\xff\xff\xff\x7f\x01", 5)); },
         3},
        {"cut-off header", [](RawDecoder& d) { d.sendRaw(QByteArray("\x04\0", 2)); }, 3},
        {"cut-off payload",
         [](RawDecoder& d) { d.sendRaw(frame(MessageType::Hello, encode(Hello{})).chopped(1)); },
         3},
        {"short hello", [](RawDecoder& d) { d.channel->send(MessageType::Hello, "\x01\x00"); }, 3},
        {"decode before configure",
         [&](RawDecoder& d) {
             greet(d);
             d.channel->send(MessageType::Decode, request);
         },
         3},
        {"absurd text count",
         [](RawDecoder& d) {
             greet(d);
             d.channel->send(MessageType::Configure, QByteArray(8, '\xff'));
         },
         3},
        {"padded request",
         [&](RawDecoder& d) {
             greetAndConfigure(d);
             d.channel->send(MessageType::Decode, request + "x");
         },
         3},
        {"goodbye", [](RawDecoder& d) { greetAndConfigure(d); }, 0},
    };
    for (const BadTalk& bad : cases) {
        RawDecoder decoder;
        const auto hello = decoder.next();
        ASSERT_TRUE(hello && hello->type == MessageType::Hello) << bad.what;
        bad.talk(decoder);
        ::shutdown(decoder.channel->socket(), SHUT_WR);
        const int status = decoder.status();
        ASSERT_TRUE(WIFEXITED(status)) << bad.what << " ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), bad.exitCode) << bad.what;
    }
}

TEST(DecoderProtocol, NoMessageDecodesFromACutOffOrPaddedPayload) {
    Catalogue catalogue;
    catalogue.plugins.append(PluginEntry{"/spi/a.spi", "00IN", "A", {"*.a"}, {"A pictures"}});
    catalogue.leftOut.append(LeftOutPlugin{"/spi/b.spi", "why"});
    DecodeResult result;
    result.ok = true;
    result.error = "e";
    result.pixelWidth = 3;
    const std::vector<std::pair<QByteArray, std::function<bool(const QByteArray&)>>> messages = {
        {encode(Configure{{"/spi/*.spi"}, {"/spi/b.spi"}}),
         [](const QByteArray& p) { return decodeConfigure(p).has_value(); }},
        {encode(DecodeRequest{1, "/a\xff.jpg", {1, 2, 3, 4, 5}, 6, 7}),
         [](const QByteArray& p) { return decodeDecodeRequest(p).has_value(); }},
        {encode(catalogue), [](const QByteArray& p) { return decodeCatalogue(p).has_value(); }},
        {encode(result), [](const QByteArray& p) { return decodeDecodeResult(p).has_value(); }},
    };
    for (const auto& [payload, decodes] : messages) {
        EXPECT_TRUE(decodes(payload));
        EXPECT_FALSE(decodes(payload + '\0'));
        for (qsizetype length = 0; length < payload.size(); ++length)
            EXPECT_FALSE(decodes(payload.left(length))) << length;
    }
    const auto request = decodeDecodeRequest(messages[1].first);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->path, QByteArray("/a\xff.jpg"));
    EXPECT_EQ(request->identity, (FileIdentity{1, 2, 3, 4, 5}));
}
