#pragma once
// The compiler back end: the semantic actions that declare symbols, lay out
// the data segment, emit stack-machine code, write the listing and collect
// what the code image needs. One generator lives for one compile.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/int_stack.h"
#include "compiler/program_map.h"
#include "compiler/script_parser.h"
#include "compiler/symbol_table.h"
#include "machine/code_image.h"
#include "preprocessor/memory_stream.h"
#include "support/error.h"

namespace vorn {

// The image's data segment end (last address + 4) must stay inside the data
// segment, so allocations stop 4 bytes short of the frame region.
constexpr std::int32_t kDataLimit = kFrameBase - 4;

class CodeGenerator final : public SemanticActions {
public:
    explicit CodeGenerator(bool showListing) : ShowListing(showListing) {}

    // Runs the action of a grammar rule (1..102, codegen_actions.cpp); other
    // numbers do nothing.
    void Reduce(int rule, TScriptParser& parser) override;

    // The image of everything generated (only meaningful without errors);
    // the code moves into it.
    CodeImage TakeImage();
    // Makes room for the code of a source of this many bytes up front.
    void ReserveFor(std::size_t sourceBytes);
    // The expanded line the words emitted from now on are compiled from.
    void SetSourceLine(std::int32_t line) { sourceLine_ = line; }

    // --- symbols and storage ---
    void AddVbl(std::int32_t type, std::int32_t name, TStorageClass storage, std::int32_t location);
    void DeclareVar(std::int32_t type, std::int32_t name, std::int32_t atToken);
    void DeclareArray(std::int32_t type, std::int32_t name, std::int32_t sizeToken, std::int32_t atToken);
    void DeclareParam(std::int32_t type, std::int32_t name);
    void DeclarePointerParam(std::int32_t type, std::int32_t name);
    void OpenRoutineScope();
    void OpenKeyRoutineScope();
    void EndScope();

    // --- emission ---
    void EmitWord(std::int32_t value);
    void EmitOp(std::int32_t code);
    void ListLine(const std::string& text);
    std::int32_t NewLabel();
    void DefineLabel(std::int32_t label);
    // Code positions count bytes, four per word.
    std::int32_t CodePosition() const { return static_cast<std::int32_t>(CodeStream.size() * 4); }

    // --- expressions and statements ---
    void Operand(std::int32_t token);
    void FloatConstant(std::int32_t token);
    void CharConstant(std::int32_t token);
    std::int32_t StringConstant(std::int32_t token);
    void StoreTo(std::int32_t name);
    void ElementAddress(std::int32_t name);
    void ElementLoad(std::int32_t name);
    void ElementStore(std::int32_t name);
    void FalseTest();
    void EndIf();
    void Else();
    void EndElse();
    void WhileTop();
    void WhileEnd();
    void ReportStatementExpected();

    // --- routines ---
    void BeginRoutine(std::int32_t type, std::int32_t name);
    void BeginKeyRoutine(std::int32_t keyCodeToken, std::int32_t charToken, std::optional<std::int32_t> paramToken);
    void ProcedureEnd();
    void HaltEnd();
    void Return(bool bare);
    // `arguments`: how many expressions the call passes; it must match the
    // routine's parameters, or the callee's frame would overlap its return point.
    void EmitCall(std::int32_t name, std::int32_t arguments);
    void EmitStartSeq(std::int32_t name, std::int32_t arguments);

    // --- state, per compile ---
    bool ShowListing;
    SymbolTable Symbols;
    TIntStack MarkStack;
    std::int32_t DataPtr = kDataBase;
    std::int32_t FrameOffset = kFrameBase;
    std::vector<std::int32_t> CodeStream;
    MemoryStream DataStream;
    std::int32_t LabelCount = 0;
    std::vector<std::int32_t> LabelTable = std::vector<std::int32_t>(100, 0);
    std::vector<CodeImage::KeyRoutine> KeyRoutines;   // at most kMaxKeyRoutines
    // The error that ended the compile inside an action, if any.
    std::optional<Error> Failure;
    // Beside the image: the line of every code word, and the globals.
    std::vector<CodeLineRun> CodeLines;
    std::vector<GlobalSymbol> Globals;
    // Statement starts and routines for a debugger (ProgramMap).
    std::vector<std::int32_t> Statements;
    std::vector<RoutineInfo> Routines;
    // Grammar boundaries: the next word emitted begins a statement.
    void MarkStatementBoundary(int rule);

private:
    const std::string& Text(std::int32_t index) const;
    bool FitsFsuipcOffsets(std::int32_t name, std::int64_t at, std::int64_t bytes);
    void Report(const std::string& message);
    void Warn(const std::string& message);
    // Warns when a global at a well-known offset has another size than FSUIPC's.
    void CheckBoundSize(std::int32_t type, std::int32_t location);
    // Takes room in the data segment (zero bytes, or the given ones) and
    // returns its address; room that would pass the segment's end is refused.
    std::int32_t Allocate(std::size_t count, const void* bytes = nullptr);
    // The entry for a name used as a variable; reports a routine name.
    bool IsRoutineMisuse(std::int32_t index, std::int32_t name);

    // Parameters of each routine, by its label.
    std::vector<std::int32_t> paramCounts_;
    std::int32_t routineLabel_ = -1;  // the routine whose parameters are being declared
    bool ArgumentsMatch(const char* kind, std::int32_t name, std::int32_t label, std::int32_t arguments);
    // Records a global declaration (not parameters, locals or routines).
    // A declaration's type as stored ("char" is byte), remembering whether it was written "char".
    std::int32_t TakeType(std::int32_t type) {
        declaringChar_ = type == kTypeChar;
        return declaringChar_ ? kTypeByte : type;
    }
    bool declaringChar_ = false;
    void NoteGlobal(std::int32_t count = 1);

    // The routine being compiled, until its end.
    std::optional<RoutineInfo> routine_;
    bool statementPending_ = false;
    std::int32_t braceLine_ = 0;  // the line of the last block's "}"
    void BeginRoutineInfo(RoutineInfo::Kind kind, const std::string& name, std::int32_t type);
    void EndRoutineInfo();

    TScriptParser* parser_ = nullptr;   // set while an action runs
    std::int32_t sourceLine_ = 0;
    bool dataFullReported_ = false;
};

}  // namespace vorn
