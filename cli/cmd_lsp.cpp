// vornc lsp: the Language Server Protocol on standard input and output, for
// editors: diagnostics as the user types, hover, definitions, symbols,
// completion, signatures and the compiler's own tokens.
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "protocol/lsp_server.h"
#include "protocol/serve.h"

namespace vorn::cli {

namespace {

int RunLsp(const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "vornc lsp: takes no arguments\nusage: vornc %s\n", UsageOf("lsp").c_str());
        return kExitUsage;
    }
    std::ios::sync_with_stdio(false);
    protocol::UseBinaryStandardStreams();
    protocol::LspServer server([](const protocol::Json& m) { protocol::WriteFrame(std::cout, m); }, {});
    protocol::Serve(std::cin, {[&](const protocol::Frame& f) { server.Handle(f); },
                               [&] {
                                   server.RunDue(protocol::Clock::now());
                                   return server.NextWake();
                               },
                               [&] { return server.Exited(); }});
    if (!server.Exited()) return kExitOk;  // the editor went away
    return server.ExitCode() == 0 ? kExitOk : kExitCommandError;
}

const CommandRegistration kRegistration(
    {"lsp", "", RunLsp,
     "serve the Language Server Protocol on stdin/stdout (Content-Length framed JSON-RPC) for editors",
     {},
     {kExitOk, kExitUsage, kExitCommandError}});

}  // namespace

}  // namespace vorn::cli
