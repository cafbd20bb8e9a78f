#pragma once
// Runs one process of a Machine for one tick. The process's registers live
// in locals while it runs and go back into the process table at the end.
#include <cstdint>
#include <string>

#include "machine/machine.h"

namespace vorn {

inline constexpr const char* kFrameFault = "frame slot out of range";
inline constexpr const char* kOverflow = "stack overflow";

// One operand stack slot's three fields.
struct Value {
    std::int32_t i;
    double f;
    std::uint8_t tag;  // 1 int, 0 float
};

// A float stored into an integer: truncated toward zero, low 32 bits kept.
// NaN, infinities and values beyond 64 bits store 0.
std::int32_t TruncateToInt32(double value);

// The decimal separator of the current C locale.
std::string LocaleDecimalPoint();

class Executor {
public:
    Executor(Machine& machine, int slot, const LineSink& output, const LineSink& trace);
    // Runs from `pc` for at most `budget` instructions; returns the new PC.
    template <bool Debug>
    std::int32_t Run(std::int32_t pc, int budget);

private:
    // Faults end the process; each names what went wrong.
    void Fault(std::int32_t pc, const char* what);

    bool CanPush(int n) const { return sp_ + n <= kStackSlots; }
    void PushInt(std::int32_t v) {
        ints_[sp_] = v;
        tags_[sp_] = 1;
        ++sp_;
    }
    void PushFloat(double v) {
        floats_[sp_] = v;
        tags_[sp_] = 0;
        ++sp_;
    }

    // Memory access over the three regions. False: the fault is in fault_.
    bool FrameSlot(std::int32_t address, int& slot);
    bool DataRange(std::int32_t address, std::int64_t n, std::size_t& offset);
    bool FsuipcRange(std::int32_t address, std::int64_t n, std::uint16_t& offset);
    bool LoadValue(std::int32_t address, std::int32_t size);
    bool StoreInt(std::int32_t value, std::int32_t address, std::int32_t size);
    bool StoreFloat(double value, std::int32_t address);
    bool StoreValue(const Value& value, std::int32_t address, std::int32_t size);
    // The zero-terminated text at a data address, cut at the segment's end.
    bool Text(std::int32_t address, std::string& text);
    bool BlockRange(std::int32_t dataAddress, std::int32_t size, std::size_t& offset);
    bool Prf();

    Machine& m_;
    int slot_;
    const LineSink& output_;
    const LineSink& trace_;
    // The process's registers in the machine's table; the loop keeps them in
    // locals and writes them back around every call that may look at them.
    std::int32_t& sp_;
    std::int32_t& frameBase_;
    std::int32_t& frameMark_;
    std::int32_t* ints_;
    double* floats_;
    std::uint8_t* tags_;
    const char* fault_ = nullptr;
    std::string line_;     // the trace line of the current instruction (debug only)
    std::string prfText_;  // PRF's text, kept to reuse its storage
    std::string decimalPoint_;  // the locale's, looked up once per run
};

extern template std::int32_t Executor::Run<true>(std::int32_t, int);
extern template std::int32_t Executor::Run<false>(std::int32_t, int);

}  // namespace vorn
