// Procedures, sequences and key routines: heads, ends, return, calls and
// startseq.
#include <cctype>
#include <cstdio>

#include "compiler/codegen.h"
#include "compiler/int_literal.h"
#include "machine/ins_set.h"
#include "support/format.h"

namespace vorn {

namespace {
bool IsSequence(const TVblEntry& e) { return e.VType == kTypeNone; }
bool IsRoutine(const TVblEntry& e) { return static_cast<TStorageClass>(e.Storage) == TStorageClass::Proc; }
}  // namespace

void CodeGenerator::BeginRoutine(std::int32_t type, std::int32_t name) {
    type = TakeType(type);
    const std::int32_t label = NewLabel();
    AddVbl(type, name, TStorageClass::Proc, label);
    DefineLabel(label);
    BeginRoutineInfo(type == kTypeNone ? RoutineInfo::Kind::sequence : RoutineInfo::Kind::procedure, Text(name), type);
    OpenRoutineScope();
    if (label >= 0) {
        if (paramCounts_.size() <= static_cast<std::size_t>(label)) paramCounts_.resize(static_cast<std::size_t>(label) + 1, 0);
        routineLabel_ = label;
    }
}

bool CodeGenerator::ArgumentsMatch(const char* kind, std::int32_t name, std::int32_t label, std::int32_t arguments) {
    const std::int32_t params =
        label >= 0 && static_cast<std::size_t>(label) < paramCounts_.size() ? paramCounts_[static_cast<std::size_t>(label)] : 0;
    if (params == arguments) return true;
    Report(std::string(kind) + " " + Text(name) + " takes " + std::to_string(params) +
           (params == 1 ? " argument, " : " arguments, ") + std::to_string(arguments) + " given");
    return false;
}

void CodeGenerator::BeginKeyRoutine(std::int32_t keyCodeToken, std::int32_t charToken,
                                    std::optional<std::int32_t> paramToken) {
    const std::string& keyText = Text(keyCodeToken);
    std::int32_t modifier = 0;
    if (!keyText.empty() && std::isdigit(static_cast<unsigned char>(keyText[0]))) {
        modifier = IntLiteralValue(keyText);
        // The hot key's modifier is one byte; a larger number would register
        // some other key.
        if (modifier < 0 || modifier > 255) {
            Report("Modifier must be 0 to 255");
            modifier = 0;
        }
    } else {
        std::string lower;
        for (char c : keyText) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == "control")
            modifier = 2;
        else
            Report("Integer or keyword 'Control' required");
    }
    const std::string& charText = Text(charToken);
    std::int32_t key = charText.size() >= 2 ? static_cast<unsigned char>(charText[1]) : 0;
    if (key >= 'a' && key <= 'z') key -= 'a' - 'A';

    const bool room = KeyRoutines.size() < static_cast<std::size_t>(kMaxKeyRoutines);
    if (!room) Report("Too many key routines (at most 101)");
    CodeImage::KeyRoutine row{CodePosition() / 4, key, modifier, -1};
    BeginRoutineInfo(RoutineInfo::Kind::key, "", kTypeNone);
    if (!room) routine_->keyIndex = -1;

    OpenKeyRoutineScope();
    if (paramToken) {
        row.paramAddress = DataPtr;
        DeclareVar(kTypeInt, *paramToken, -1);
    }
    if (room) KeyRoutines.push_back(row);
}

// Rules 14, 15: a procedure that runs off its end returns 0.
void CodeGenerator::ProcedureEnd() {
    EmitWord(kOpPushC);
    EmitWord(0);
    if (ShowListing) ListLine("PushC 0;        // Function return result");
    EmitOp(kOpRET);
    EndRoutineInfo();
    EndScope();
}

// Rules 11, 13, 17.
void CodeGenerator::HaltEnd() {
    EmitOp(kOpHLT);
    EndRoutineInfo();
    EndScope();
}

// Rules 50, 51. A float routine's result is a float whatever kind the
// expression gave (an int would print as 0.00 with %f and divide as an int):
// the value goes through the free frame slot above the return point, whose
// 8-byte store converts it as an assignment to a float would.
void CodeGenerator::Return(bool bare) {
    if (bare) {
        EmitWord(kOpPushC);
        EmitWord(0);
        if (ShowListing) ListLine("PushC 0");
    }
    if (routine_ && routine_->kind == RoutineInfo::Kind::procedure && routine_->type == kTypeFloat &&
        routineLabel_ >= 0) {
        const std::int32_t slot = kFrameBase + 4 * (paramCounts_[static_cast<std::size_t>(routineLabel_)] + 1);
        EmitWord(kOpWriteV);
        EmitWord(slot);
        EmitWord(8);
        if (ShowListing) ListLine(Format("WriteV $%.04X,8 // the result as a float", static_cast<unsigned>(slot)));
        EmitWord(kOpPushV);
        EmitWord(slot);
        EmitWord(8);
        if (ShowListing) ListLine(Format("PushV $%.04X,8", static_cast<unsigned>(slot)));
    }
    EmitOp(kOpRET);
}

// Rule 96, after STP and the arguments.
void CodeGenerator::EmitCall(std::int32_t name, std::int32_t arguments) {
    const std::int32_t i = Symbols.FindVbl(name);
    if (i < 0) {
        Report("Procedure not defined");
    } else if (!IsRoutine(Symbols.Entry(i))) {
        Report("Variable " + Text(name) + " called as a procedure");
    } else if (IsSequence(Symbols.Entry(i))) {
        Report("Sequence " + Text(name) + " called as a procedure");
    } else if (!ArgumentsMatch("Procedure", name, Symbols.Entry(i).Location, arguments)) {
        // reported; no CALL into a frame that does not fit
    } else {
        const std::int32_t label = Symbols.Entry(i).Location;
        EmitWord(kOpCALL);
        EmitWord(label);
        if (ShowListing) ListLine("Call " + Text(name) + " at label L" + std::to_string(label));
    }
    EmitOp(kOpRFP);
}

// Rule 98, after STP and the arguments.
void CodeGenerator::EmitStartSeq(std::int32_t name, std::int32_t arguments) {
    const std::int32_t i = Symbols.FindVbl(name);
    if (i < 0) {
        Report("Sequence not defined");
    } else if (!IsRoutine(Symbols.Entry(i))) {
        Report("Variable " + Text(name) + " started as a sequence");
    } else if (!IsSequence(Symbols.Entry(i))) {
        Report("Procedure " + Text(name) + " started as a sequence");
    } else if (!ArgumentsMatch("Sequence", name, Symbols.Entry(i).Location, arguments)) {
        // reported
    } else {
        const std::int32_t label = Symbols.Entry(i).Location;
        EmitWord(kOpSSQ);
        EmitWord(label);
        if (ShowListing) ListLine("StartSeq " + Text(name) + " at label L" + std::to_string(label));
    }
    EmitOp(kOpRFP);
    EmitOp(kOpTDY);
}

}  // namespace vorn
