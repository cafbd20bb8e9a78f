#include "compiler/compile_source.h"

#include <optional>

#include "compiler/codegen.h"
#include "compiler/script_parser.h"
#include "machine/code_image.h"
#include "support/error.h"

namespace vorn {

namespace {

// The parser as the generator's actions see it.
class ParserContext final : public ActionContext {
public:
    explicit ParserContext(TScriptParser& parser) : parser_(parser) {}
    std::int32_t StackValue(int depthBelowTop) const override { return parser_.StackValue(depthBelowTop); }
    void SetValue(std::int32_t value) override { parser_.ValueRegister() = value; }
    const std::string& NameText(std::int32_t index) const override {
        static const std::string kNone;
        const auto& names = parser_.Lexer().NameTable();
        return index >= 0 && static_cast<std::size_t>(index) < names.size() ? names[static_cast<std::size_t>(index)]
                                                                           : kNone;
    }
    void ReportError(const std::string& message) override { parser_.ReportError(message); }
    void WriteListingLine(const std::string& text) override { parser_.WriteListingLine(text); }

private:
    TScriptParser& parser_;
};

// Runs the generator at every reduction. A conversion failure must end the
// compile, but it must not unwind through the generated parser: it is kept,
// the remaining actions are skipped, and it is raised once the parse is over.
class GeneratorActions final : public SemanticActions {
public:
    explicit GeneratorActions(CodeGenerator& generator) : generator_(generator) {}
    void Reduce(int rule, TScriptParser& parser) override {
        if (failure_) return;
        ParserContext context(parser);
        try {
            generator_.Act(rule, context);
        } catch (const Error& error) {
            failure_ = error;
        }
    }
    const std::optional<Error>& Failure() const { return failure_; }

private:
    CodeGenerator& generator_;
    std::optional<Error> failure_;
};

}  // namespace

bool CompileSource(MemoryStream& source, MemoryStream& listing, MemoryStream& image, bool showListing) {
    source.Rewind();
    listing.Clear();
    image.Clear();

    CodeGenerator generator(showListing);
    generator.ReserveFor(source.Size());
    TScriptParser parser(source);
    GeneratorActions actions(generator);
    parser.SetActions(&actions);
    parser.Parse();  // success is decided by the error count alone
    if (actions.Failure()) throw *actions.Failure();

    const bool ok = parser.ErrorCount() == 0;
    if (ok) {
        // The image is the largest buffer of a compile: it moves, never copies.
        image.Adopt(WriteCodeImage(generator.TakeImage()));
    }
    const auto lines = parser.ListingStream().Bytes();
    listing.Write(lines.data(), lines.size());
    return ok;
}

}  // namespace vorn
