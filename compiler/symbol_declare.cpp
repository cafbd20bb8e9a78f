// Declarations and scopes: entries of the symbol table and their room in the
// data segment.
#include <cstdint>

#include "compiler/codegen.h"
#include "compiler/int_literal.h"
#include "compiler/program_map.h"
#include "fsuipc/offsets.h"
#include "fsuipc/offsets_catalogue.h"
#include "support/format.h"

namespace vorn {

void CodeGenerator::AddVbl(std::int32_t type, std::int32_t name, TStorageClass storage, std::int32_t location) {
    for (std::size_t i = 0, n = Symbols.ScopeMatches(name).size(); i < n; ++i)
        Report(Format("Identifier %s redeclared", Text(name).c_str()));
    Symbols.Append({type, name, location, static_cast<std::uint8_t>(storage)});
    if (ShowListing) ListLine(AddVblLine(type, Text(name), storage, location));
}

void CodeGenerator::NoteGlobal(std::int32_t count) {
    if (Symbols.VBLPtr == 0) return;
    const TVblEntry& e = Symbols.Entry(Symbols.VBLPtr - 1);
    GlobalSymbol symbol{Text(e.Name), e.VType, static_cast<TStorageClass>(e.Storage), e.Location, count,
                        declaringChar_};
    // Routines' locals and parameters are declared inside a scope mark.
    if (MarkStack.Top() == 0) {
        Globals.push_back(std::move(symbol));
    } else if (routine_) {
        (symbol.storage == TStorageClass::Frame || symbol.address >= kFrameBase ? routine_->params : routine_->locals)
            .push_back(std::move(symbol));
    }
}

void CodeGenerator::DeclareVar(std::int32_t type, std::int32_t name, std::int32_t atToken) {
    type = TakeType(type);
    if (atToken == -1) {
        // Bytes and shortints take a whole word; floats take eight bytes.
        const std::size_t room = TypeSize(type) == 8 ? 8 : 4;
        if (static_cast<std::size_t>(kDataLimit - DataPtr) < room) {
            Allocate(room);  // reports the full segment
            return;
        }
        AddVbl(type, name, TStorageClass::local, DataPtr);
        NoteGlobal();
        Allocate(room);
    } else {
        const std::int32_t at = IntLiteralValue(Text(atToken));
        if (!FitsFsuipcOffsets(name, at, TypeSize(type))) return;
        AddVbl(type, name, TStorageClass::UIPC, at);
        NoteGlobal();
        CheckBoundSize(type, at);
    }
}

void CodeGenerator::CheckBoundSize(std::int32_t type, std::int32_t location) {
    // The machine reads FSUIPC at an address's low 16 bits.
    const std::uint32_t offset = static_cast<std::uint32_t>(location) & 0xFFFF;
    const CatalogueEntry* entry = FindOffset(offset);
    if (entry == nullptr || FindBinding(offset, TypeSize(type)) != nullptr) return;
    GlobalSymbol declared;
    declared.type = type;
    declared.declaredChar = declaringChar_;
    Warn(Format("%s at $%04X is %d bytes in FSUIPC, declared as %s", std::string(entry->name).c_str(), offset,
                entry->size, GlobalTypeText(declared).c_str()));
}

// FSUIPC's offsets are 16 bits wide: a variable that would reach past
// 0xFFFF is refused rather than cut to a wrapped offset.
bool CodeGenerator::FitsFsuipcOffsets(std::int32_t name, std::int64_t at, std::int64_t bytes) {
    if (at >= 0 && at + bytes <= kFsuipcOffsetEnd) return true;
    Report(Format("%s at $%llX does not fit in the FSUIPC offsets $0000 to $FFFF", Text(name).c_str(),
                  static_cast<unsigned long long>(static_cast<std::uint32_t>(at))));
    return false;
}

void CodeGenerator::DeclareArray(std::int32_t type, std::int32_t name, std::int32_t sizeToken, std::int32_t atToken) {
    type = TakeType(type);
    if (sizeToken == -1) {
        if (ShowListing) ListLine(Format("Pointer %s", Text(name).c_str()));
        if (static_cast<std::size_t>(kDataLimit - DataPtr) < 4) {
            Allocate(4);
            return;
        }
        AddVbl(type, name, TStorageClass::Pointer, DataPtr);
        NoteGlobal();
        Allocate(4);
        return;
    }
    const std::int64_t count = IntLiteralValue(Text(sizeToken));
    const std::int64_t bytes = count * TypeSize(type);
    if (ShowListing) ListLine(Format("Array %s size %lld", Text(name).c_str(), static_cast<long long>(bytes)));
    if (count < 1) {
        Report(Format("Array %s needs a size of at least 1", Text(name).c_str()));
        return;
    }
    if (atToken == -1) {
        if (bytes > kDataLimit - DataPtr) {
            Report(Format("Array %s does not fit in the data segment", Text(name).c_str()));
            return;
        }
        AddVbl(type, name, TStorageClass::Array, DataPtr);
        NoteGlobal(static_cast<std::int32_t>(count));
        Allocate(static_cast<std::size_t>(bytes));
        return;
    }
    const std::string& at = Text(atToken);
    if (!IsIntLiteral(at)) {
        Report("Integer needed after 'AT'");
        return;
    }
    if (bytes > INT32_MAX) {
        Report(Format("Array %s is too large", Text(name).c_str()));
        return;
    }
    if (!FitsFsuipcOffsets(name, IntLiteralValue(at), bytes)) return;
    AddVbl(type, name, TStorageClass::Array, IntLiteralValue(at));
    NoteGlobal(static_cast<std::int32_t>(count));
}

void CodeGenerator::DeclareParam(std::int32_t type, std::int32_t name) {
    type = TakeType(type);
    if (routineLabel_ >= 0) ++paramCounts_[static_cast<std::size_t>(routineLabel_)];
    AddVbl(type, name, TStorageClass::Frame, FrameOffset);
    NoteGlobal();
    FrameOffset += 4;  // one slot whatever the type
}

void CodeGenerator::DeclarePointerParam(std::int32_t type, std::int32_t name) {
    type = TakeType(type);
    if (routineLabel_ >= 0) ++paramCounts_[static_cast<std::size_t>(routineLabel_)];
    AddVbl(type, name, TStorageClass::Pointer, FrameOffset);
    NoteGlobal();
    FrameOffset += 4;
}

void CodeGenerator::OpenRoutineScope() {
    // The routine's own entry is in the scope, so a parameter named like the
    // routine is a redeclaration.
    MarkStack.Push(Symbols.VBLPtr);
    Symbols.ScopeStart = Symbols.VBLPtr - 1;
    FrameOffset = kFrameBase;
}

void CodeGenerator::OpenKeyRoutineScope() {
    MarkStack.Push(Symbols.VBLPtr);
    Symbols.ScopeStart = Symbols.VBLPtr;
}

void CodeGenerator::EndScope() {
    Symbols.ResetTo(MarkStack.Pop());
    Symbols.ScopeStart = 0;
    if (ShowListing) ListLine(Format("Reset VBLPtr to %d", Symbols.VBLPtr));
}

}  // namespace vorn
