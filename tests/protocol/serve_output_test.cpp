// The server loop's output is touched by its handling thread alone: the
// reader thread must not flush it, even when the input is tied to it as
// std::cin is to std::cout.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <thread>
#include <vector>

#include "protocol/serve.h"

namespace vorn::protocol {
namespace {

// Notes the thread of every flush.
class FlushThreads : public std::stringbuf {
public:
    std::vector<std::thread::id> threads;

protected:
    int sync() override {
        threads.push_back(std::this_thread::get_id());
        return std::stringbuf::sync();
    }
};

TEST(ServeOutput, OnlyTheHandlingThreadFlushesTheOutput) {
    FlushThreads buffer;
    std::ostream out(&buffer);
    std::string frames;
    for (int i = 0; i < 20; ++i) frames += "Content-Length: 2\r\n\r\n{}";
    std::istringstream in(frames);
    in.tie(&out);
    int handled = 0;
    Serve(in, {[&](const Frame& f) {
                   if (f.kind == Frame::kMessage) ++handled;
                   out << "answer" << std::flush;
               },
               [] { return std::optional<std::chrono::steady_clock::time_point>(); }, [] { return false; }});
    EXPECT_EQ(handled, 20);
    ASSERT_FALSE(buffer.threads.empty());
    for (const std::thread::id& id : buffer.threads) EXPECT_EQ(id, std::this_thread::get_id());
}

}  // namespace
}  // namespace vorn::protocol
