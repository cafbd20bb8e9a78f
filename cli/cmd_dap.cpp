// vornc dap: the Debug Adapter Protocol on standard input and output, so
// that VS Code (or any DAP client) debugs Vorn programs.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/settings_options.h"
#include "protocol/dap_server.h"
#include "protocol/serve.h"

namespace vorn::cli {

namespace {

int RunDap(const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "vornc dap: takes no arguments\nusage: vornc %s\n", UsageOf("dap").c_str());
        return kExitUsage;
    }
    // The link as the user set it up in the window or with vornc settings.
    Settings settings;
    std::unique_ptr<SettingsStore> store;
    LoadSettingsTelling({}, settings, store, [](const std::string& line) { std::fprintf(stderr, "vornc dap: %s\n", line.c_str()); });
    std::ios::sync_with_stdio(false);
    protocol::UseBinaryStandardStreams();
    protocol::DapServer server([](const protocol::Json& m) { protocol::WriteFrame(std::cout, m); }, true, &settings);
    protocol::Serve(std::cin, {[&](const protocol::Frame& f) { server.Handle(f); },
                               [&] {
                                   server.RunDue(protocol::DapServer::Clock::now());
                                   return server.NextWake();
                               },
                               [&] { return server.Done(); }});
    return kExitOk;
}

const CommandRegistration kRegistration(
    {"dap", "", RunDap,
     "serve the Debug Adapter Protocol on stdin/stdout (Content-Length framed JSON) for VS Code and other clients",
     {},
     {kExitOk, kExitUsage}});

}  // namespace

}  // namespace vorn::cli
