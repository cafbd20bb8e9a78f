#pragma once
// The benchmark loop `i = 0; while (i < N) { i = i + 1; }` as one key
// routine over a global int i. With the compiler in the build the image is
// compiled from that source; otherwise it is the same code laid out by hand.
#include <cstdint>
#include <string>
#include <vector>

#include "machine/code_image.h"
#include "machine/ins_set.h"
#ifdef VORN_HAVE_COMPILER
#include "compiler/compile_source.h"
#include "preprocessor/memory_stream.h"
#endif

namespace vorn::bench {

inline std::string LoopSource(std::int32_t n) {
    return "int i;\r\nkey(Control, 'A') {\r\n  i = 0;\r\n  while (i < " + std::to_string(n) +
           ") {\r\n    i = i + 1;\r\n  }\r\n}\r\n";
}

inline std::vector<std::uint8_t> HandLoopImage(std::int32_t n) {
    CodeImage img;
    img.data.assign(4, 0);
    img.dataEnd = kDataBase + 8;
    img.keys = {{0, 'A', 2, -1}};
    img.code = {kOpPushC, 0, kOpWriteV, kDataBase, 4,
                // L0:
                kOpPushV, kDataBase, 4, kOpPushC, n, kOpLT, kOpIFF, 1,
                kOpPushV, kDataBase, 4, kOpPushC, 1, kOpADD, kOpWriteV, kDataBase, 4, kOpGOTO, 0,
                // L1:
                kOpHLT};
    img.labels = {5, 24};
    return WriteCodeImage(img);
}

// The image and where it came from ("compiled" or "hand-assembled").
inline std::vector<std::uint8_t> LoopImage(std::int32_t n, std::string& origin) {
#ifdef VORN_HAVE_COMPILER
    MemoryStream source;
    MemoryStream listing;
    MemoryStream image;
    source.Write(LoopSource(n));
    source.Rewind();
    try {
        if (CompileSource(source, listing, image, false)) {
            origin = "compiled";
            return std::vector<std::uint8_t>(image.Bytes().begin(), image.Bytes().end());
        }
    } catch (...) {
    }
#endif
    origin = "hand-assembled";
    return HandLoopImage(n);
}

}  // namespace vorn::bench
