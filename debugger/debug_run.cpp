#include "debugger/debug_run.h"

#include <algorithm>

#include "fsuipc/hot_key_name.h"
#include "fsuipc/platform_transport.h"
#include "sim/inprocess_transport.h"

namespace vorn {

// The program's lines to the front end as they come, not only kept.
class DebugRun::OutputView final : public HeadlessView {
public:
    OutputView(std::vector<std::string> lines, LineSink output)
        : HeadlessView(std::move(lines), nullptr, nullptr), output_(std::move(output)) {}
    void AppendOutputLine(const std::string& line) override {
        HeadlessView::AppendOutputLine(line);
        output_(line);
    }

private:
    LineSink output_;
};

DebugRun::DebugRun(DebugRunOptions options, std::vector<std::string> sourceLines, LineSink output, LineSink link)
    : options_(std::move(options)), link_(std::move(link)) {
    std::stable_sort(options_.presses.begin(), options_.presses.end(),
                     [](const DebugPress& a, const DebugPress& b) { return a.tick < b.tick; });
    if (options_.server) {
        transport_ = MakePlatformTransport();
    } else {
        transport_ = std::make_unique<InProcessTransport>(sim_);
    }
    ipc_ = std::make_unique<IpcLink>(*transport_);
    machine_ = std::make_unique<Machine>(*ipc_);
    view_ = std::make_unique<OutputView>(std::move(sourceLines), std::move(output));
    controller_ = std::make_unique<WorkbenchController>(*view_, *ipc_, *machine_);
    controller_->SetSourceName(options_.file, options_.folder);
    if (options_.settings != nullptr) controller_->UseSettings(options_.settings);
    debugger_ = std::make_unique<Debugger>(*machine_, *ipc_, controller_->Program(),
                                           [this](const std::string& line) { controller_->ProgramOutputLine(line); });
    controller_->StartUp();
    if (options_.model && !options_.server) model_.emplace(sim_);
}

DebugRun::~DebugRun() { Stop(); }

HeadlessView& DebugRun::View() { return *view_; }

void DebugRun::ReportLink() {
    for (const std::string& m : view_->TakeLinkMessages()) link_(m);
}

bool DebugRun::Start(std::vector<std::string>& problems) {
    controller_->ToggleConnection();
    problems = view_->TakeErrors();
    if (!controller_->Connected()) {
        for (const std::string& m : view_->TakeLinkMessages()) problems.push_back(m);
        if (problems.empty()) problems.push_back("cannot connect to the simulator");
        return false;
    }
    ReportLink();
    debugger_->Attach();
    return true;
}

bool DebugRun::Tick() {
    ++tick_;
    for (; pressIndex_ < options_.presses.size() && options_.presses[pressIndex_].tick <= tick_; ++pressIndex_) {
        const DebugPress& p = options_.presses[pressIndex_];
        if (!Press(p.key, p.modifier)) link_(p.text + ": the program has no hot key " + HotKeyName(p.key, p.modifier));
    }
    if (model_) model_->Advance();
    controller_->TimerTick();
    ReportLink();
    return controller_->Connected() || controller_->Reconnecting();
}

DebugRun::Stretch DebugRun::RunStretch(int ticks, const std::function<void()>& afterTick) {
    for (int n = 0; n < ticks; ++n) {
        const bool alive = Tick();
        afterTick();
        if (!alive) return Stretch::lost;
        if (debugger_->Stopped()) return Stretch::stopped;
        if (!machine_->Stepping() && Idle()) return Stretch::idle;
    }
    return Stretch::more;
}

bool DebugRun::Idle() const {
    for (int slot = 0; slot < kProcessSlots; ++slot) {
        if (machine_->ProcessPc(slot) >= 0) return false;
    }
    return pressIndex_ >= options_.presses.size();
}

void DebugRun::Stop() {
    if (controller_ && controller_->Connected()) controller_->ToggleConnection();
}

}  // namespace vorn
