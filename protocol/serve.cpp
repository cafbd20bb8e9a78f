#include "protocol/serve.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#endif

namespace vorn::protocol {

void UseBinaryStandardStreams() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void Serve(std::istream& in, const ServeHooks& hooks) {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Frame> queue;
    bool ended = false;
    // Every read of a stream tied to the output (std::cin is tied to
    // std::cout) flushes that output first: from the reader thread, while
    // this thread writes answers to it, a data race that can garble or lose
    // an answer. Untied, only this thread touches the output.
    in.tie(nullptr);
    // The reader blocks in the input; it is detached at the end, as the
    // process is about to exit and its input may never close.
    std::thread reader([&in, &mutex, &ready, &queue, &ended] {
        FrameReader frames(in);
        for (;;) {
            Frame frame = frames.Next();
            const bool end = frame.kind == Frame::kEnd;
            {
                std::lock_guard<std::mutex> lock(mutex);
                queue.push_back(std::move(frame));
                if (end) ended = true;
            }
            ready.notify_one();
            if (end) return;
        }
    });
    std::optional<std::chrono::steady_clock::time_point> wake = hooks.wake();
    for (;;) {
        std::unique_lock<std::mutex> lock(mutex);
        auto has = [&] { return !queue.empty(); };
        if (wake) {
            ready.wait_until(lock, *wake, has);
        } else {
            ready.wait(lock, has);
        }
        std::deque<Frame> batch;
        batch.swap(queue);
        const bool end = ended && batch.empty();
        lock.unlock();
        for (const Frame& f : batch) {
            hooks.handle(f);
            if (hooks.done()) break;
        }
        wake = hooks.wake();
        if (hooks.done() || end) break;
        if (!batch.empty() && batch.back().kind == Frame::kEnd) break;
    }
    if (ended) {
        reader.join();
    } else {
        reader.detach();
    }
}

}  // namespace vorn::protocol
