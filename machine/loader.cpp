// Load: replaces the program tables from a code image, tracing every step.
#include "machine/code_image.h"
#include "machine/decoded.h"
#include "machine/machine.h"
#include "support/format.h"

namespace vorn {

bool Machine::Load(std::span<const std::uint8_t> image, const LineSink& trace, const LineSink& output) {
    auto send = [&](const std::string& line) {
        if (trace) trace(line);
    };
    send("Interpreter started");
    send("File Size " + std::to_string(image.size()));
    for (int slot = 0; slot < kProcessSlots; ++slot) {
        sp_[slot] = 0;
        frameBase_[slot] = 0;
        wait_[slot] = 0;
        callDepth_[slot] = 0;
    }

    ForgetDebugState();
    CodeImage img;
    std::string why;
    if (!ReadCodeImage(image, img, why)) {
        // Nothing may run from a malformed image: drop the old program too.
        ClearProgram();
        pc_.fill(-1);
        loadError_ = "Code image refused: " + why;
        if (output) output(loadError_);
        return false;
    }
    loadError_.clear();
    hotKeySlot_.fill(-1);

    keys_ = std::move(img.keys);
    send("Proc Size       " + std::to_string(keys_.size()));
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        const CodeImage::KeyRoutine& k = keys_[i];
        send(Format("Proc[%d]=%d,%d,%d,%X", static_cast<int>(i), k.entryPoint, k.keyCode, k.modifier,
                  static_cast<unsigned>(k.paramAddress)));
    }

    labels_ = std::move(img.labels);
    send("Jump Size       " + std::to_string(labels_.size()));
    for (std::size_t i = 0; i < labels_.size(); ++i) send(Format("Jump[%d]=%d", static_cast<int>(i), labels_[i]));

    code_ = std::move(img.code);
    for (std::size_t i = 0; i < code_.size(); ++i) send(Format("Code[%d]=%d", static_cast<int>(i), code_[i]));

    send("Data segment size initially " + std::to_string(img.dataEnd));
    data_.assign(static_cast<std::size_t>(img.dataEnd - kDataBase), 0);
    send("Data segment size second attempt " + std::to_string(img.data.size() / 4));
    for (std::size_t i = 0; i < img.data.size(); ++i) {
        data_[i] = img.data[i];
        send(Format("Data[%d]=%d", static_cast<int>(i), static_cast<int>(img.data[i])));
    }

    decoded_ = std::make_unique<DecodedProgram>();
    DecodeProgram(code_, labels_, static_cast<std::int32_t>(data_.size()), *decoded_);
    pc_.fill(-1);
    loaded_ = true;
    return true;
}

}  // namespace vorn
