#include "compiler/compile_source.h"

#include "compiler/codegen.h"
#include "compiler/script_parser.h"
#include "machine/code_image.h"
#include "support/error.h"

namespace vorn {

bool CompileSource(MemoryStream& source, MemoryStream& listing, MemoryStream& image, bool showListing) {
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
    if (ok) {
        // The image is the largest buffer of a compile: it moves, never copies.
        image.Adopt(WriteCodeImage(generator.TakeImage()));
    }
    const auto lines = parser.ListingStream().Bytes();
    listing.Write(lines.data(), lines.size());
    return ok;
}

}  // namespace vorn
