#include "compiler/compile_source.h"

#include <utility>

#include "compiler/codegen.h"
#include "compiler/script_parser.h"
#include "machine/code_image.h"
#include "support/error.h"

namespace vorn {

bool CompileSource(MemoryStream& source, MemoryStream& listing, MemoryStream& image, bool showListing,
                   ProgramMap* map, int* errorCount) {
    if (map) {
        map->code.clear();
        map->globals.clear();
        map->statements.clear();
        map->routines.clear();
        map->codeWords = 0;
    }
    source.Rewind();
    listing.Clear();
    image.Clear();

    CodeGenerator generator(showListing);
    generator.ReserveFor(source.Size());
    TScriptParser parser(source);
    parser.SetActions(&generator);
    parser.Parse();  // success is decided by the error count alone
    if (generator.Failure) throw *generator.Failure;

    const bool ok = parser.ErrorCount() == 0;
    if (errorCount) *errorCount = parser.ErrorCount();
    if (ok && map) {
        map->code = std::move(generator.CodeLines);
        map->globals = std::move(generator.Globals);
        map->statements = std::move(generator.Statements);
        map->routines = std::move(generator.Routines);
        map->codeWords = static_cast<std::int32_t>(generator.CodeStream.size());
    }
    if (ok) {
        // The image is the largest buffer of a compile: it moves, never copies.
        image.Adopt(WriteCodeImage(generator.TakeImage()));
    }
    const auto lines = parser.ListingStream().Bytes();
    listing.Write(lines.data(), lines.size());
    return ok;
}

}  // namespace vorn
