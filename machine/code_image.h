#pragma once
// The code image between compiler and machine: little-endian 32-bit words
// (data segment end, key table, label table, code, data word count) followed
// by the data bytes padded to whole words.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorn {

// Machine address regions.
inline constexpr std::int32_t kDataBase = 0x1000000;   // data segment byte 0
inline constexpr std::int32_t kFrameBase = 0x2000000;  // frame slot 0
inline constexpr int kMaxKeyRoutines = 101;

struct CodeImage {
    std::int32_t dataEnd = kDataBase + 4;  // kDataBase + n + 4 for n data bytes
    struct KeyRoutine {
        std::int32_t entryPoint;    // code word index
        std::int32_t keyCode;
        std::int32_t modifier;
        std::int32_t paramAddress;  // data address of the int parameter, or -1
    };
    std::vector<KeyRoutine> keys;
    std::vector<std::int32_t> labels;  // label number -> code word index
    std::vector<std::int32_t> code;
    std::vector<std::uint8_t> data;    // the n initial data bytes
};

// Lays out an image exactly: D = n / 4 + 1 data words, the n bytes then
// 4 * D - n zero bytes. dataEnd is written as given.
std::vector<std::uint8_t> WriteCodeImage(const CodeImage& image);

// Reads and checks an image. On success fills `image` (data holds every data
// byte of the image, padding included) and returns true; otherwise returns
// false and puts a one-line reason into `error`. The checks: the layout and
// its counts agree with the length, at most 101 key routines, the data bytes
// fit the data segment, labels lie in 0..C, entry points in 0..C-1 and
// parameter addresses on a 4-byte int inside the data segment.
bool ReadCodeImage(std::span<const std::uint8_t> bytes, CodeImage& image, std::string& error);

}  // namespace vorn
