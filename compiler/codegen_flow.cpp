// if/else and while. Open labels wait on MarkStack, so statements nest to
// any depth.
#include "compiler/codegen.h"
#include "machine/ins_set.h"
#include "support/format.h"

namespace vorn {

// Rules 41 and 43: condition; IFF L.
void CodeGenerator::FalseTest() {
    const std::int32_t label = NewLabel();
    MarkStack.Push(label);
    EmitWord(kOpIFF);
    EmitWord(label);
    if (ShowListing) ListLine(Format("Iffalse goto L%d", label));
}

// Rule 53.
void CodeGenerator::EndIf() {
    const std::int32_t label = MarkStack.Pop();
    DefineLabel(label);
    if (ShowListing) ListLine(Format("L%d: //EndIf", label));
}

// Rule 54: GOTO Le, then the false branch starts.
void CodeGenerator::Else() {
    const std::int32_t falseLabel = MarkStack.Pop();
    const std::int32_t endLabel = NewLabel();
    MarkStack.Push(endLabel);
    EmitWord(kOpGOTO);
    EmitWord(endLabel);
    if (ShowListing) ListLine(Format("goto L%d // Endif", endLabel));
    DefineLabel(falseLabel);
    if (ShowListing) ListLine(Format("L%d: //Else", falseLabel));
}

// Rule 55.
void CodeGenerator::EndElse() {
    const std::int32_t label = MarkStack.Pop();
    DefineLabel(label);
    if (ShowListing) ListLine(Format("L%d: //EndElse", label));
}

// Rule 40, before the condition's code.
void CodeGenerator::WhileTop() {
    const std::int32_t label = NewLabel();
    MarkStack.Push(label);
    DefineLabel(label);
    if (ShowListing) ListLine(Format("L%d: // While", label));
}

// Rule 42.
void CodeGenerator::WhileEnd() {
    const std::int32_t exitLabel = MarkStack.Pop();
    const std::int32_t topLabel = MarkStack.Pop();
    EmitWord(kOpGOTO);
    EmitWord(topLabel);
    DefineLabel(exitLabel);
    if (ShowListing) ListLine(Format("EndWhile.  Go back to L%d", topLabel));
    if (ShowListing) ListLine(Format("L%d: // End while jumps to here", exitLabel));
}

}  // namespace vorn
