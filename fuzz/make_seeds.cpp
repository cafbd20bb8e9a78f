// Writes a few well-formed code images into a folder, as the fuzzer's
// starting corpus: valid images reach far deeper than random bytes.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "machine/code_image.h"
#include "machine/ins_set.h"

namespace {

using vorn::CodeImage;
using vorn::kDataBase;
using vorn::kFrameBase;

void Write(const std::string& dir, const std::string& name, const CodeImage& img) {
    const std::vector<std::uint8_t> bytes = vorn::WriteCodeImage(img);
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

CodeImage WithData(std::vector<std::uint8_t> data) {
    CodeImage img;
    img.dataEnd = kDataBase + static_cast<std::int32_t>(data.size()) + 4;
    img.data = std::move(data);
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    using namespace vorn;

    // A counting loop with a key routine.
    CodeImage loop = WithData(std::vector<std::uint8_t>(8, 0));
    loop.keys = {{0, 65, 2, kDataBase + 4}};
    loop.labels = {0, 19};
    loop.code = {kOpPushV, kDataBase, 4, kOpPushC, 1000, kOpLT, kOpIFF, 1,
                 kOpPushV, kDataBase, 4, kOpPushC, 1, kOpADD, kOpWriteV, kDataBase, 4, kOpGOTO, 0, kOpHLT};
    Write(dir, "loop", loop);

    // A call, a sequence, PRF, PRS and WAIT.
    std::vector<std::uint8_t> data(64, 0);
    const std::string fmt = "v=%d h=%x f=%f s=%s %q%";
    std::copy(fmt.begin(), fmt.end(), data.begin() + 16);
    CodeImage calls = WithData(data);
    calls.keys = {{0, 71, 2, -1}, {0, 72, 0, kDataBase + 8}};
    calls.labels = {0, 0, 0};
    calls.code = {kOpSTP, kOpPushC, 10, kOpPushC, 3, kOpCALL, 1, kOpRFP, kOpTDY,
                  kOpSTP, kOpPushC, 7, kOpSSQ, 2, kOpRFP, kOpTDY,
                  kOpSTP, kOpPushC, kDataBase + 40, kOpPushC, kDataBase + 16, kOpPushC, 42, kOpPushC, 255,
                  kOpPushV, kDataBase, 8, kOpPushC, 0x3D00, kOpPRF, kOpRFP, kOpTDY,
                  kOpPushC, kDataBase + 40, kOpPRS, kOpPushC, 1, kOpWAIT, kOpHLT,
                  // label 1: f(x, y) = x / y
                  kOpPushV, kFrameBase, 4, kOpPushV, kFrameBase + 4, 4, kOpDIV, kOpRET,
                  // label 2: a sequence writing to FSUIPC and a block
                  kOpPushV, kFrameBase, 4, kOpWriteV, 0x0570, 4, kOpPushC, 0x3000, kOpPushC, kDataBase,
                  kOpPushC, 8, kOpWRB, kOpHLT};
    calls.labels[1] = 40;
    calls.labels[2] = 48;
    Write(dir, "calls", calls);

    // Illegal words and an indirect store.
    CodeImage odd = WithData(std::vector<std::uint8_t>(12, 0));
    odd.code = {kOpPushC, kDataBase + 4, kOpPushV, kDataBase, 8, kOpSTI, 2, kOpPushC, kDataBase, kOpLDI, 1,
                kOpNEG, kOpBitOr, 99, kOpHLT};
    Write(dir, "odd", odd);
    return 0;
}
