// What a stopped program looks like: its processes, their frames, and the
// variables of each frame, read and written where they live.
#include <algorithm>
#include <cstring>

#include "debugger/debugger.h"
#include "debugger/expression.h"
#include "fsuipc/hot_key_name.h"
#include "fsuipc/ipc_link.h"
#include "machine/code_image.h"
#include "machine/ins_set.h"
#include "workbench/watch_model.h"

namespace vorn {

namespace {

// A write the user asked for reaches the simulator at once, also over a
// link that batches the program's writes.
bool WriteNow(IpcLink& link, const void* bytes, std::uint16_t offset, std::uint16_t size) {
    IpcResult flushed = kIpcOk;
    return link.WriteBlock(bytes, offset, size) == kIpcOk && link.FlushWrites(flushed);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Hex(std::uint32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%04X", value);
    return buf;
}

std::int32_t SignExtend(std::int32_t v, int size) {
    if (size == 1) return static_cast<std::int8_t>(v & 0xFF);
    if (size == 2) return static_cast<std::int16_t>(v & 0xFFFF);
    return v;
}

}  // namespace

// Names as the program's own code finds them in one frame: the routine's
// locals and parameters (the later declared first), then the globals.
class FrameEnvironment final : public ExprEnvironment {
public:
    FrameEnvironment(Debugger& d, int slot, int frame) : d_(d), slot_(slot) {
        const std::vector<Debugger::Frame> frames = d.Frames(slot);
        if (frame >= 0 && static_cast<std::size_t>(frame) < frames.size()) frame_ = frames[static_cast<std::size_t>(frame)];
    }

    // The symbol of a name, with its frame slot for a parameter (-1 otherwise).
    const GlobalSymbol* Find(const std::string& name, int& stackIndex) const {
        stackIndex = -1;
        if (frame_ && frame_->routine) {
            const RoutineInfo& r = *frame_->routine;
            for (auto it = r.locals.rbegin(); it != r.locals.rend(); ++it) {
                if (SameName(it->name, name)) return &*it;
            }
            for (std::size_t k = r.params.size(); k-- > 0;) {
                if (SameName(r.params[k].name, name)) {
                    stackIndex = frame_->frameBase + static_cast<int>(k);
                    return &r.params[k];
                }
            }
        }
        return d_.map_.FindGlobal(name);
    }

    // One element (or the scalar at index 0) of a variable at `address`.
    bool ReadAt(const GlobalSymbol& s, std::int32_t address, ExprValue& out, std::string& error) {
        const int size = std::max(s.ElementSize(), 1);
        std::uint8_t bytes[8] = {};
        if (address >= kFrameBase) {
            error = "cannot read frame address " + Hex(static_cast<std::uint32_t>(address));
            return false;
        }
        if (address >= kDataBase) {
            const auto data = d_.machine_.DataSegment();
            const std::int64_t off = std::int64_t{address} - kDataBase;
            if (off < 0 || off + size > static_cast<std::int64_t>(data.size())) {
                error = "address " + Hex(static_cast<std::uint32_t>(address)) + " is outside the data segment";
                return false;
            }
            std::memcpy(bytes, data.data() + off, static_cast<std::size_t>(size));
        } else if (d_.link_.ReadBlock(bytes, static_cast<std::uint16_t>(address & 0xFFFF), static_cast<std::uint16_t>(size)) !=
                   kIpcOk) {
            error = "the simulator did not answer";
            return false;
        }
        out = {};
        if (size >= 8 && s.storage != TStorageClass::Pointer) {
            out.isFloat = true;
            std::memcpy(&out.f, bytes, 8);
        } else {
            std::int32_t v = 0;
            std::memcpy(&v, bytes, static_cast<std::size_t>(std::min(size, 4)));
            out.i = SignExtend(v, size);
        }
        return true;
    }

    bool ReadParam(const GlobalSymbol& s, int index, ExprValue& out) const {
        out = {};
        if (s.type == kTypeFloat && s.storage == TStorageClass::Frame) {
            out.isFloat = true;
            out.f = d_.machine_.StackFloat(slot_, index);
        } else {
            const int size = s.storage == TStorageClass::Pointer ? 4 : TypeSize(s.type);
            out.i = SignExtend(d_.machine_.StackInt(slot_, index), size);
        }
        return true;
    }

    bool InStack(int index) const { return index >= 0 && index < d_.machine_.StackPointer(slot_); }

    bool Name(const std::string& name, ExprValue& out, std::string& error) override {
        int index = -1;
        const GlobalSymbol* s = Find(name, index);
        if (!s) {
            error = "no variable " + name;
            return false;
        }
        if (index >= 0) {
            if (!InStack(index)) {
                error = "parameter " + name + " is not on the stack";
                return false;
            }
            return ReadParam(*s, index, out);
        }
        if (s->storage == TStorageClass::Array) {
            out = ExprValue{false, s->address, 0};  // the name stands for its base address
            return true;
        }
        return ReadAt(*s, s->address, out, error);
    }

    // The address of element `index`, for reading and writing.
    bool ElementAddress(const std::string& name, std::int32_t index, const GlobalSymbol*& s, std::int32_t& address,
                        std::string& error) {
        int stackIndex = -1;
        s = Find(name, stackIndex);
        if (!s) {
            error = "no variable " + name;
            return false;
        }
        std::int32_t base = s->address;
        if (s->storage == TStorageClass::Pointer) {
            ExprValue p;
            if (stackIndex >= 0) {
                if (!InStack(stackIndex)) {
                    error = "parameter " + name + " is not on the stack";
                    return false;
                }
                ReadParam(*s, stackIndex, p);
            } else if (!ReadAt(*s, s->address, p, error)) {
                return false;
            }
            base = p.i;
        } else if (s->storage != TStorageClass::Array) {
            error = name + " is not an array";
            return false;
        } else if (index < 0 || index >= s->count) {
            error = "index " + std::to_string(index) + " is outside " + name + "[" + std::to_string(s->count) + "]";
            return false;
        }
        address = static_cast<std::int32_t>(static_cast<std::uint32_t>(base) +
                                            static_cast<std::uint32_t>(index) * static_cast<std::uint32_t>(TypeSize(s->type)));
        return true;
    }

    bool Element(const std::string& name, std::int32_t index, ExprValue& out, std::string& error) override {
        const GlobalSymbol* s = nullptr;
        std::int32_t address = 0;
        if (!ElementAddress(name, index, s, address, error)) return false;
        GlobalSymbol element = *s;
        element.storage = TStorageClass::local;  // one element of the array's type
        return ReadAt(element, address, out, error);
    }

    Debugger& d_;
    int slot_;
    std::optional<Debugger::Frame> frame_;
};

std::string Debugger::PlaceText(std::int32_t pc) const {
    const std::optional<SourcePlace> place = map_.PlaceOfPc(pc);
    return place ? vorn::PlaceText(*place) : std::string();
}

std::string Debugger::RoutineName(const RoutineInfo* routine, int slot) const {
    if (!routine) return "process " + std::to_string(slot);
    switch (routine->kind) {
    case RoutineInfo::Kind::key: {
        const auto keys = machine_.KeyRoutines();
        if (routine->keyIndex >= 0 && static_cast<std::size_t>(routine->keyIndex) < keys.size()) {
            const CodeImage::KeyRoutine& k = keys[static_cast<std::size_t>(routine->keyIndex)];
            return "key " + HotKeyName(static_cast<std::uint8_t>(k.keyCode), static_cast<std::uint8_t>(k.modifier));
        }
        return "key";
    }
    case RoutineInfo::Kind::sequence: return "sequence " + routine->name;
    default: return routine->name;
    }
}

std::vector<Debugger::Frame> Debugger::Frames(int slot) const {
    std::vector<Frame> frames;
    if (slot < 0 || slot >= kProcessSlots) return frames;
    std::int32_t pc = machine_.ProcessPc(slot);
    if (pc < 0) return frames;
    const auto code = machine_.Code();
    const std::int32_t sp = machine_.StackPointer(slot);
    std::int32_t fb = machine_.FrameBase(slot);
    std::int32_t depth = machine_.CallDepth(slot);
    // Standing on a return point the frame base is still the callee's (or
    // PRF's): the RFP there restores the caller's from below that frame.
    if (static_cast<std::size_t>(pc) < code.size() && code[static_cast<std::size_t>(pc)] == kOpRFP && fb >= 2 && fb <= sp)
        fb = machine_.StackInt(slot, fb - 2);
    for (;;) {
        const RoutineInfo* routine = map_.RoutineOfPc(pc);
        frames.push_back({pc, fb, routine});
        if (depth <= 0 || !routine || routine->kind != RoutineInfo::Kind::procedure) break;
        // The return point lies in the slot after the arguments; the caller's
        // frame base two slots below them, where STP put it.
        const std::int32_t at = fb + static_cast<std::int32_t>(routine->params.size());
        if (fb < 2 || at >= sp) break;
        const std::int32_t back = machine_.StackInt(slot, at);
        if (back < 2 || static_cast<std::size_t>(back) > code.size() || code[static_cast<std::size_t>(back) - 2] != kOpCALL)
            break;
        pc = back;
        fb = machine_.StackInt(slot, fb - 2);
        --depth;
        if (frames.size() > static_cast<std::size_t>(kStackSlots)) break;
    }
    return frames;
}

std::vector<FrameInfo> Debugger::StackTrace(int slot) const {
    std::vector<FrameInfo> out;
    const std::vector<Frame> frames = Frames(slot);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        FrameInfo f;
        f.index = static_cast<int>(i);
        f.routine = RoutineName(frames[i].routine, slot);
        f.place = map_.PlaceOfPc(frames[i].pc).value_or(SourcePlace{});
        f.pc = frames[i].pc;
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<ProcessInfo> Debugger::Processes() const {
    std::vector<ProcessInfo> out;
    const bool stopped = Stopped();
    for (int slot = 0; slot < kProcessSlots; ++slot) {
        const std::int32_t pc = machine_.ProcessPc(slot);
        if (pc < 0) continue;
        ProcessInfo p;
        p.slot = slot;
        p.pc = pc;
        const std::vector<Frame> frames = Frames(slot);
        p.name = RoutineName(frames.empty() ? nullptr : frames.back().routine, slot);
        if (frames.empty() || !frames.back().routine) p.name = "process " + std::to_string(slot);
        p.waitTicks = machine_.WaitCount(slot);
        if (p.waitTicks > 0) {
            p.state = "waiting " + std::to_string(p.waitTicks) + (p.waitTicks == 1 ? " tick" : " ticks");
        } else {
            p.state = stopped && slot == stoppedSlot_ ? "stopped" : "running";
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<VariableValue> Debugger::Variables(int slot, int frame, Scope scope) {
    std::vector<VariableValue> out;
    std::vector<GlobalSymbol> symbols;
    if (scope == Scope::parameters) {
        const std::vector<Frame> frames = Frames(slot);
        if (frame < 0 || static_cast<std::size_t>(frame) >= frames.size() || !frames[static_cast<std::size_t>(frame)].routine)
            return out;
        const Frame& f = frames[static_cast<std::size_t>(frame)];
        FrameEnvironment env(*this, slot, frame);
        for (std::size_t k = 0; k < f.routine->params.size(); ++k) {
            const GlobalSymbol& s = f.routine->params[k];
            const int index = f.frameBase + static_cast<int>(k);
            VariableValue v{s.name, GlobalTypeText(s), "?", "frame slot " + std::to_string(index)};
            ExprValue value;
            if (env.InStack(index) && env.ReadParam(s, index, value)) {
                v.value = s.storage == TStorageClass::Pointer ? Hex(static_cast<std::uint32_t>(value.i)) : ExprValueText(value);
            }
            out.push_back(std::move(v));
        }
        return out;
    }
    if (scope == Scope::locals) {
        const std::vector<Frame> frames = Frames(slot);
        if (frame < 0 || static_cast<std::size_t>(frame) >= frames.size() || !frames[static_cast<std::size_t>(frame)].routine)
            return out;
        symbols = frames[static_cast<std::size_t>(frame)].routine->locals;
    } else {
        for (const GlobalSymbol& g : map_.globals) {
            if (g.AtFsuipc() == (scope == Scope::fsuipc)) symbols.push_back(g);
        }
    }
    // Data-segment variables straight from the machine, FSUIPC-bound ones
    // in one exchange, formatted as the Watch page shows them.
    WatchModel watch;
    watch.SetGlobals(symbols);
    watch.Refresh(machine_.DataSegment(), &link_);
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const WatchRow& row = watch.Rows()[i];
        out.push_back({row.name, row.type, watch.ShortValue(i), row.where});
    }
    return out;
}

std::optional<VariableValue> Debugger::Evaluate(int slot, int frame, const std::string& expression, std::string& error) {
    FrameEnvironment env(*this, slot, frame);
    if (IsPlainName(expression)) {
        // A whole variable, shown as the scopes show it.
        std::string name = expression;
        std::erase_if(name, [](char c) { return c == ' ' || c == '\t'; });
        int index = -1;
        const GlobalSymbol* s = env.Find(name, index);
        if (s && index < 0 && (s->storage == TStorageClass::Array || s->storage == TStorageClass::Pointer)) {
            WatchModel watch;
            watch.SetGlobals({*s});
            if (!watch.Refresh(machine_.DataSegment(), &link_)) {
                error = "the simulator did not answer";
                return std::nullopt;
            }
            return VariableValue{s->name, watch.Rows()[0].type, watch.ShortValue(0), watch.Rows()[0].where};
        }
        ExprValue value;
        if (!env.Name(name, value, error)) return std::nullopt;
        VariableValue v{s->name, GlobalTypeText(*s), ExprValueText(value), ""};
        v.where = index >= 0 ? "frame slot " + std::to_string(index)
                  : s->AtFsuipc() ? "FSUIPC " + Hex(static_cast<std::uint32_t>(s->address) & 0xFFFF)
                                  : "data " + Hex(static_cast<std::uint32_t>(s->address));
        return v;
    }
    ExprValue value;
    if (!EvaluateExpression(expression, env, value, error)) return std::nullopt;
    return VariableValue{expression, value.isFloat ? "float" : "int", ExprValueText(value), ""};
}

std::optional<VariableValue> Debugger::SetVariable(int slot, int frame, const std::string& target,
                                                   const std::string& valueText, std::string& error) {
    FrameEnvironment env(*this, slot, frame);
    ExprTarget t;
    if (!ParseTarget(target, env, t, error)) return std::nullopt;
    int stackIndex = -1;
    const GlobalSymbol* s = env.Find(t.name, stackIndex);
    if (!s) {
        error = "no variable " + t.name;
        return std::nullopt;
    }
    // Text into a byte array, with its terminating zero.
    std::string text = valueText;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(text.begin());
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        if (s->storage != TStorageClass::Array || s->type != kTypeByte || t.element) {
            error = "text goes only into a byte array";
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes(text.begin() + 1, text.end() - 1);
        bytes.push_back(0);
        if (bytes.size() > static_cast<std::size_t>(s->count)) {
            error = "the text needs " + std::to_string(bytes.size()) + " bytes, " + t.name + " has " + std::to_string(s->count);
            return std::nullopt;
        }
        const bool ok = s->AtFsuipc() ? WriteNow(link_, bytes.data(), static_cast<std::uint16_t>(s->address & 0xFFFF),
                                                 static_cast<std::uint16_t>(bytes.size()))
                                      : machine_.WriteData(static_cast<std::size_t>(s->address - kDataBase), bytes);
        if (!ok) {
            error = s->AtFsuipc() ? "the simulator did not answer" : "outside the data segment";
            return std::nullopt;
        }
        return Evaluate(slot, frame, t.name, error);
    }
    ExprValue value;
    if (!EvaluateExpression(text, env, value, error)) return std::nullopt;

    std::int32_t address = s->address;
    GlobalSymbol cell = *s;
    if (t.element) {
        if (!env.ElementAddress(t.name, t.index, s, address, error)) return std::nullopt;
        cell.storage = TStorageClass::local;
        stackIndex = -1;
    } else if (s->storage == TStorageClass::Array) {
        error = t.name + " is an array: set one element, " + t.name + "[0] = ..., or a text";
        return std::nullopt;
    }
    if (stackIndex >= 0) {
        if (!env.InStack(stackIndex)) {
            error = "parameter " + t.name + " is not on the stack";
            return std::nullopt;
        }
        const bool ok = cell.type == kTypeFloat && cell.storage == TStorageClass::Frame
                            ? machine_.SetStackFloat(slot, stackIndex, value.AsDouble())
                            : machine_.SetStackInt(slot, stackIndex, value.AsInt());
        if (!ok) {
            error = "parameter " + t.name + " is outside the stack";
            return std::nullopt;
        }
    } else {
        const int size = std::max(cell.ElementSize(), 1);
        std::uint8_t bytes[8] = {};
        if (size >= 8) {
            const double d = value.AsDouble();
            std::memcpy(bytes, &d, 8);
        } else {
            const std::int32_t v = value.AsInt();
            std::memcpy(bytes, &v, 4);
        }
        const std::size_t n = static_cast<std::size_t>(std::min(size, 8));
        bool ok = false;
        if (address >= kFrameBase) {
            error = "cannot write frame address " + Hex(static_cast<std::uint32_t>(address));
            return std::nullopt;
        } else if (address >= kDataBase) {
            ok = machine_.WriteData(static_cast<std::size_t>(address - kDataBase), std::span<const std::uint8_t>(bytes, n));
            if (!ok) error = "address " + Hex(static_cast<std::uint32_t>(address)) + " is outside the data segment";
        } else {
            // The simulator's own offset: the program would write it the same way.
            ok = WriteNow(link_, bytes, static_cast<std::uint16_t>(address & 0xFFFF), static_cast<std::uint16_t>(n));
            if (!ok) error = "the simulator did not answer";
        }
        if (!ok) return std::nullopt;
    }
    return Evaluate(slot, frame, target, error);
}

}  // namespace vorn
