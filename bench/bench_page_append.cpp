// Appending a line to "Program Output" in the Qt window, below and at the
// 100,000-line limit (where the oldest line goes and the note changes): at
// the limit a line costs more than below it, but the same for every size of
// page. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <string>

#include "fsuipc/ipc_link.h"
#include "fsuipc/platform_transport.h"
#include "machine/debug_mode.h"
#include "machine/machine.h"
#include "workbench/controller.h"
#include "workbench/line_buffer.h"
#include "workbench/qt/form_main.h"

namespace {

struct Window {
    std::unique_ptr<vorn::IpcTransport> transport = vorn::MakePlatformTransport();
    vorn::IpcLink link{*transport};
    vorn::Machine machine{link, vorn::DebugMode};
    vorn::TForm1 form{link, machine};
};

void Append(benchmark::State& state) {
    Window w;
    // Filled to state.range(0) lines first.
    const std::string line = "Runtime error in process 3 at PC 118 (prog.vrn:42): division by zero";
    for (std::int64_t i = 0; i < state.range(0); ++i) w.form.Controller().ProgramOutputLine(line);
    for (auto _ : state) w.form.Controller().ProgramOutputLine(line);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Append)->Arg(0)->Arg(50000)->Arg(static_cast<std::int64_t>(vorn::kPageLineLimit))->Unit(benchmark::kMicrosecond);

// At the limit, for limits of different sizes: the cost must not grow with it.
void AppendAtLimit(benchmark::State& state) {
    Window w;
    w.form.SetPageLineLimit(static_cast<std::size_t>(state.range(0)));
    const std::string line = "Runtime error in process 3 at PC 118 (prog.vrn:42): division by zero";
    for (std::int64_t i = 0; i <= state.range(0); ++i) w.form.Controller().ProgramOutputLine(line);
    for (auto _ : state) w.form.Controller().ProgramOutputLine(line);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AppendAtLimit)->Arg(1000)->Arg(10000)->Arg(static_cast<std::int64_t>(vorn::kPageLineLimit))->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
