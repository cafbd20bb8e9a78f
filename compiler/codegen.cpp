#include "compiler/codegen.h"

#include "support/huge_pages.h"

#include <algorithm>
#include <utility>

#include "machine/ins_set.h"
#include "preprocessor/memory_stream.h"

namespace vorn {

const std::string& CodeGenerator::Text(std::int32_t index) const {
    static const std::string kNone;
    return parser_ ? parser_->NameText(index) : kNone;
}

void CodeGenerator::Report(const std::string& message) {
    if (parser_) parser_->ReportError(message);
}

void CodeGenerator::Warn(const std::string& message) {
    if (parser_) parser_->ReportWarning(message);
}

void CodeGenerator::ListLine(const std::string& text) {
    if (ShowListing && parser_) parser_->WriteListingLine(text);
}

void CodeGenerator::EmitWord(std::int32_t value) {
    // One run per change of line keeps the map far smaller than the code.
    if (CodeLines.empty() || CodeLines.back().expandedLine != sourceLine_)
        CodeLines.push_back({static_cast<std::int32_t>(CodeStream.size()), sourceLine_});
    if (statementPending_) {
        Statements.push_back(static_cast<std::int32_t>(CodeStream.size()));
        statementPending_ = false;
    }
    CodeStream.push_back(value);
}

void CodeGenerator::MarkStatementBoundary(int rule) {
    switch (rule) {
    case 10: case 12: case 16: case 18: case 19:  // routine heads: the entry
    case 34: case 35: case 63:                    // after a statement
    case 41: case 43: case 54:                    // after a test or an else's jump
        statementPending_ = true;
        break;
    default:
        break;
    }
}

void CodeGenerator::BeginRoutineInfo(RoutineInfo::Kind kind, const std::string& name, std::int32_t type) {
    routine_.emplace();
    routine_->kind = kind;
    routine_->name = name;
    routine_->type = type;
    routine_->firstWord = static_cast<std::int32_t>(CodeStream.size());
    if (kind == RoutineInfo::Kind::key) routine_->keyIndex = static_cast<std::int32_t>(KeyRoutines.size());
}

void CodeGenerator::EndRoutineInfo() {
    if (!routine_) return;
    routine_->endWord = static_cast<std::int32_t>(CodeStream.size());
    Routines.push_back(std::move(*routine_));
    routine_.reset();
}

void CodeGenerator::ReserveFor(std::size_t sourceBytes) {
    // Ordinary programs give under one code word per source byte. Only the
    // pages written are ever touched, so generous room costs nothing, and
    // the code is never copied while it grows.
    const std::size_t words = std::min<std::size_t>(sourceBytes + 64, std::size_t{1} << 24);
    CodeStream.reserve(HugePageCapacity(words * sizeof(std::int32_t)) / sizeof(std::int32_t));
    AdviseHugePages(CodeStream.data(), CodeStream.capacity() * sizeof(std::int32_t));
}

void CodeGenerator::EmitOp(std::int32_t code) {
    EmitWord(code);
    if (ShowListing) ListLine(MnemonicOf(code));
}

std::int32_t CodeGenerator::NewLabel() {
    const std::int32_t label = LabelCount++;
    if (static_cast<std::int64_t>(LabelTable.size()) - 1 < LabelCount) LabelTable.resize(LabelTable.size() + 20);
    return label;
}

void CodeGenerator::DefineLabel(std::int32_t label) {
    // A label that was never allocated can only come from a broken nesting.
    if (label >= 0 && label < LabelCount) LabelTable[static_cast<std::size_t>(label)] = CodePosition();
}

std::int32_t CodeGenerator::Allocate(std::size_t count, const void* bytes) {
    const std::int32_t address = DataPtr;
    if (count > static_cast<std::size_t>(kDataLimit - DataPtr)) {
        if (!dataFullReported_) Report("Data segment full");
        dataFullReported_ = true;
        return address;
    }
    if (bytes) {
        DataStream.Write(bytes, count);
    } else {
        const std::vector<std::uint8_t> zeros(count, 0);
        DataStream.Write(zeros.data(), zeros.size());
    }
    DataPtr += static_cast<std::int32_t>(count);
    return address;
}

CodeImage CodeGenerator::TakeImage() {
    CodeImage image{};
    image.dataEnd = DataPtr + 4;
    image.keys = std::move(KeyRoutines);
    for (std::int32_t i = 0; i < LabelCount; ++i) image.labels.push_back(LabelTable[static_cast<std::size_t>(i)] / 4);
    image.code = std::move(CodeStream);
    CodeStream.clear();
    const auto data = DataStream.Bytes();
    image.data.assign(data.begin(), data.end());
    return image;
}

}  // namespace vorn
