#include "machine/code_image.h"

#include "support/format.h"
#include "support/huge_pages.h"

#include <bit>
#include <cstdint>
#include <cstdio>

namespace vorn {
namespace {

void PutWord(std::vector<std::uint8_t>& out, std::int32_t word) {
    const auto u = static_cast<std::uint32_t>(word);
    out.push_back(static_cast<std::uint8_t>(u));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
    out.push_back(static_cast<std::uint8_t>(u >> 16));
    out.push_back(static_cast<std::uint8_t>(u >> 24));
}

// The code is the bulk of an image: on a little-endian host its words are
// already in image order and go over in one copy.
void PutWords(std::vector<std::uint8_t>& out, const std::vector<std::int32_t>& words) {
    if constexpr (std::endian::native == std::endian::little) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(words.data());
        out.insert(out.end(), p, p + 4 * words.size());
    } else {
        for (std::int32_t word : words) PutWord(out, word);
    }
}

// Reads words from the front of the image; every read knows how many bytes
// are left, so no count from the image can take it past the end.
class WordReader {
public:
    explicit WordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Left() const { return bytes_.size() - pos_; }

    bool Word(std::int32_t& out) {
        if (Left() < 4) return false;
        const std::uint8_t* p = bytes_.data() + pos_;
        out = static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                        std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
        pos_ += 4;
        return true;
    }

    // A count of words that must still be in the image.
    bool Fits(std::int32_t words) const {
        return words >= 0 && static_cast<std::size_t>(words) <= Left() / 4;
    }

    std::span<const std::uint8_t> Rest() const { return bytes_.subspan(pos_); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

bool Fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

}  // namespace

std::vector<std::uint8_t> WriteCodeImage(const CodeImage& image) {
    std::vector<std::uint8_t> out;
    const std::size_t n = image.data.size();
    const std::size_t dataWords = n / 4 + 1;
    out.reserve(HugePageCapacity(4 * (5 + 4 * image.keys.size() + image.labels.size() + image.code.size()) +
                                 4 * dataWords));
    AdviseHugePages(out.data(), out.capacity());
    PutWord(out, image.dataEnd);
    PutWord(out, static_cast<std::int32_t>(image.keys.size()));
    for (const CodeImage::KeyRoutine& k : image.keys) {
        PutWord(out, k.entryPoint);
        PutWord(out, k.keyCode);
        PutWord(out, k.modifier);
        PutWord(out, k.paramAddress);
    }
    PutWord(out, static_cast<std::int32_t>(image.labels.size()));
    PutWords(out, image.labels);
    PutWord(out, static_cast<std::int32_t>(image.code.size()));
    PutWords(out, image.code);
    PutWord(out, static_cast<std::int32_t>(dataWords));
    out.insert(out.end(), image.data.begin(), image.data.end());
    out.resize(out.size() + (4 * dataWords - n), 0);
    return out;
}

bool ReadCodeImage(std::span<const std::uint8_t> bytes, CodeImage& image, std::string& error) {
    image = CodeImage{};
    if (bytes.empty()) return Fail(error, "the image is empty");
    WordReader in(bytes);

    std::int32_t dataEnd = 0;
    if (!in.Word(dataEnd)) return Fail(error, "the image ends inside its header");
    // The segment holds at least the 4 bytes every image has and ends
    // before the frame region starts.
    if (dataEnd < kDataBase + 4 || dataEnd > kFrameBase) {
        return Fail(error, Format("data segment end %d is outside %d..%d", dataEnd, kDataBase + 4,
                                  kFrameBase));
    }
    const std::int32_t dataSize = dataEnd - kDataBase;
    image.dataEnd = dataEnd;

    std::int32_t keyCount = 0;
    if (!in.Word(keyCount)) return Fail(error, "the image ends inside its header");
    if (keyCount < 0 || keyCount > kMaxKeyRoutines) {
        return Fail(error, Format("key count %d is outside 0..%d", keyCount, kMaxKeyRoutines));
    }
    if (!in.Fits(4 * keyCount)) return Fail(error, "the image ends inside the key table");
    image.keys.resize(static_cast<std::size_t>(keyCount));
    for (CodeImage::KeyRoutine& k : image.keys) {
        in.Word(k.entryPoint);
        in.Word(k.keyCode);
        in.Word(k.modifier);
        in.Word(k.paramAddress);
    }

    std::int32_t labelCount = 0;
    if (!in.Word(labelCount)) return Fail(error, "the image ends before the label count");
    if (labelCount < 0) return Fail(error, Format("label count %d is negative", labelCount));
    if (!in.Fits(labelCount)) return Fail(error, "the image ends inside the label table");
    image.labels.resize(static_cast<std::size_t>(labelCount));
    for (std::int32_t& label : image.labels) in.Word(label);

    std::int32_t codeCount = 0;
    if (!in.Word(codeCount)) return Fail(error, "the image ends before the code word count");
    if (codeCount < 0) return Fail(error, Format("code word count %d is negative", codeCount));
    if (!in.Fits(codeCount)) return Fail(error, "the image ends inside the code");
    image.code.resize(static_cast<std::size_t>(codeCount));
    for (std::int32_t& word : image.code) in.Word(word);

    std::int32_t dataWords = 0;
    if (!in.Word(dataWords)) return Fail(error, "the image ends before the data word count");
    if (dataWords < 0 || 4LL * dataWords > dataSize) {
        return Fail(error, Format("data word count %d does not fit the data segment of %d bytes",
                                  dataWords, dataSize));
    }
    const std::span<const std::uint8_t> rest = in.Rest();
    if (rest.size() != 4 * static_cast<std::size_t>(dataWords)) {
        return Fail(error, Format("%lld data bytes follow where the data word count says %lld",
                                  static_cast<long long>(rest.size()), 4LL * dataWords));
    }
    image.data.assign(rest.begin(), rest.end());

    for (std::size_t i = 0; i < image.labels.size(); ++i) {
        // A label may mark the end of the code; jumping there stops the process.
        const std::int32_t target = image.labels[i];
        if (target < 0 || target > codeCount) {
            return Fail(error, Format("label %lld targets %d, outside the code (0..%d)",
                                      static_cast<long long>(i), target, codeCount));
        }
    }
    for (std::size_t i = 0; i < image.keys.size(); ++i) {
        const CodeImage::KeyRoutine& k = image.keys[i];
        if (k.entryPoint < 0 || k.entryPoint >= codeCount) {
            return Fail(error, Format("key routine %lld starts at %d, outside the code (0..%lld)",
                                      static_cast<long long>(i), k.entryPoint, codeCount - 1LL));
        }
        const long long param = k.paramAddress;
        if (param != -1 && (param < kDataBase || param - kDataBase + 4 > dataSize)) {
            return Fail(error, Format("key routine %lld has its parameter at %llX, outside the data segment",
                                      static_cast<long long>(i),
                                      static_cast<long long>(static_cast<std::uint32_t>(param))));
        }
    }
    return true;
}

}  // namespace vorn
