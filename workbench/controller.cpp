#include "workbench/controller.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <utility>

#include "compiler/compile_source.h"
#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "machine/machine.h"
#include "preprocessor/expand.h"
#include "workbench/link_status.h"
#include "workbench/reload_globals.h"
#include "workbench/settings.h"
#include "preprocessor/include_search.h"

namespace vorn {

WorkbenchController::WorkbenchController(WorkbenchView& view, IpcLink& link, Machine& machine,
                                         bool& debugMode)
    : view_(view),
      link_(link),
      machine_(machine),
      debugMode_(debugMode),
      output_([this](const std::string& line) { ProgramOutputLine(line); }),
      trace_([this](const std::string& line) { TraceLine(line); }),
      includeFolders_(IncludeFolders({})) {
    machine_.SetPlaceOfPc([this](std::int32_t pc) {
        const std::optional<SourcePlace> place = program_.PlaceOfPc(pc);
        return place ? PlaceText(*place) : std::string();
    });
}

WorkbenchController::~WorkbenchController() { machine_.SetPlaceOfPc(nullptr); }

void WorkbenchController::StartUp() {
    SetConnected(false);
    source_.Clear();
    expanded_.Clear();
    listing_.Clear();
    image_.Clear();
    view_.SetPageVisible(kPageSource, true);
    view_.SetPageVisible(kPageCompiler, true);
    view_.SetPageVisible(kPageProgramOutput, true);
    view_.SetPageVisible(kPageExpanded, false);
    view_.SetPageVisible(kPageInterpreter, false);
    view_.SelectPage(kPageSource);
    showCompilerOutput_ = false;
}

bool WorkbenchController::CompileEditorText(ProgramMap& next, MemoryStream& image, int& errors) {
    source_.Clear();
    view_.WriteEditorText(source_);
    next.lines = program_.lines;
    ExpandOptions options;
    options.includeFolders = includeFolders_;
    Expand(source_, expanded_, &next.lines, options);
    view_.ShowExpandedBuffer(expanded_);
    return CompileSource(expanded_, listing_, image, showCompilerOutput_, &next, &errors);
}

void WorkbenchController::ShowListing() {
    listing_.Rewind();
    view_.SetCompilerText(listing_.RemainingText());
    listing_.Seek(listing_.Size());
}

void WorkbenchController::Compile() {
    // Built aside: a compile that throws leaves the running program's map.
    ProgramMap next;
    try {
        int errors = 0;
        const bool ok = CompileEditorText(next, image_, errors);
        program_ = std::move(next);
        listingLines_ = program_.lines;
        // A failed compile leaves no image; clearing the picture keeps Connect
        // from handing that empty image to the machine.
        ShowCompiled(ok);
    } catch (const std::exception& e) {
        // The command ends here: picture, connection and "Compiler" page stay.
        view_.ShowError(PlacedErrorText(next.lines, e));
        return;
    }
    SetConnected(false);
    ShowListing();
}

namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string NameList(const char* what, const std::vector<std::string>& names) {
    std::string line = what;
    for (std::size_t i = 0; i < names.size(); ++i) line += (i == 0 ? " " : ", ") + names[i];
    return line;
}

}  // namespace

bool WorkbenchController::Reload() {
    if (!connected_) return false;
    ProgramMap next;
    MemoryStream image;
    int errors = 0;
    bool ok = false;
    try {
        ok = CompileEditorText(next, image, errors);
    } catch (const std::exception& e) {
        const std::string why = PlacedErrorText(next.lines, e);
        view_.ShowError(why);
        view_.ShowLinkMessage("Reload failed: " + why + "; the running program is unchanged");
        return false;
    }
    listingLines_ = next.lines;
    ShowListing();
    if (!ok) {
        // The editor's text does not compile; the image and map of the
        // running program stay, so a reconnect still starts that program.
        ShowCompiled(false);
        view_.ShowLinkMessage("Reload failed: " + Count(static_cast<std::size_t>(errors), "error", "errors") +
                          "; the running program is unchanged");
        return false;
    }
    const std::vector<std::uint8_t> oldData(machine_.DataSegment().begin(), machine_.DataSegment().end());
    HotKeyReload keys;
    // The old program's waiting writes go first, and nothing of the new one
    // is served from the old program's snapshot.
    IpcResult flushed = kIpcOk;
    link_.EndTick(flushed);
    if (!machine_.Reload(image.Bytes(), trace_, output_, keys)) {
        view_.ShowLinkMessage("Reload failed: the code image was refused; the running program is unchanged");
        return false;
    }
    const GlobalCarry carry = CarryGlobals(program_, oldData, next);
    for (const GlobalWrite& w : carry.writes) machine_.WriteData(w.address, w.bytes);
    program_ = std::move(next);
    PlanTickRanges();
    image_.Adopt(std::vector<std::uint8_t>(image.Bytes().begin(), image.Bytes().end()));
    watch_.SetGlobals(program_.globals);
    ShowCompiled(true);
    view_.ProgramLoaded();

    // The names go on the Compiler page, after the listing.
    std::string names = listing_.Size() > 0 ? "\r\n" : "";
    names += NameList("Globals kept:", carry.kept) + "\r\n" + NameList("Globals new:", carry.fresh) + "\r\n" +
             NameList("Globals dropped:", carry.dropped) + "\r\n" + NameList("Hot keys:", keys.names) + "\r\n";
    listing_.Write(names);
    ShowListing();

    std::string line = "Reloaded: " + Count(carry.kept.size(), "global", "globals") + " kept, " +
                       std::to_string(carry.fresh.size()) + " new, " + std::to_string(carry.dropped.size()) +
                       " dropped; hot keys: " + std::to_string(keys.kept) + " kept, " +
                       std::to_string(keys.added) + " added, " + std::to_string(keys.removed) + " removed";
    if (!carry.pointers.empty())
        line += "; " + Count(carry.pointers.size(), "pointer starts", "pointers start") + " afresh";
    view_.ShowLinkMessage(line);
    return true;
}

void WorkbenchController::ToggleConnection() {
    if (waiting_) {
        SetConnected(false);
        return;
    }
    SetConnected(!connected_);
    if (connected_) {
        view_.ClearOutput();
        view_.SelectPage(kPageProgramOutput);
        Announce();
        // What Start had to say (a hot key left unregistered) must survive the clearing.
        for (const std::string& line : startMessages_) ProgramOutputLine(line);
    }
}

namespace {

std::string CodeAndText(IpcResult result) {
    return std::to_string(result) + ": " + IpcResultText(result);
}

std::string LostMessage(IpcResult result, const IpcTiming& timing, std::int64_t tick) {
    std::string line = "Lost the link to the simulator at tick " + std::to_string(tick);
    if (result == kIpcTimeout) {
        line += ": no answer in " + std::to_string(timing.attempts) + (timing.attempts == 1 ? " attempt" : " attempts") +
                " of " + std::to_string(timing.timeoutMs) + " ms";
    }
    return line + " (" + CodeAndText(result) + ")";
}

}  // namespace

// Opens the link with the time-out and attempts of the environment (result
// -1 when those are refused: the error box has said why). A probe
// (a reconnect attempt) sends each handshake request once, so a simulator
// that is there but does not answer holds the window for one time-out only.
bool WorkbenchController::OpenLink(int& result, bool probe) {
    IpcTiming timing;
    std::string error, name;
    const bool ok = settings_ != nullptr ? settings_->LinkConfig(name, timing, error)
                                         : IpcTimingFromEnvironment(timing, error);
    link_.SetMessageName(name);
    if (!ok) {
        view_.ShowError(error);
        result = -1;
        return false;
    }
    IpcTiming opening = timing;
    if (probe) opening.attempts = 1;
    link_.SetTiming(opening);
    const bool open = link_.Open(kRequestedSimVersion, result);
    link_.SetTiming(timing);
    return open;
}

void WorkbenchController::StartProgram() {
    connected_ = true;
    linkProblem_.clear();
    linkResult_ = kIpcOk;
    view_.SetConnectCaption("Disconnect");
    view_.SetRunHint("Disconnect");
    view_.SetRunPicture(kPicDisconnect);
    if (!machine_.Load(image_.Bytes(), trace_)) {
        // Nothing may run from an image the loader refused.
        const std::string why = machine_.LoadError();
        SetConnected(false);
        view_.ShowError(why.empty() ? "The code image could not be loaded." : why);
        return;
    }
    watch_.SetGlobals(program_.globals);
    startMessages_.clear();
    // Shown once by the caller: after Connect has cleared Program Output, or
    // at once after a reconnect.
    machine_.Start([this](const std::string& line) { startMessages_.push_back(line); }, trace_);
    view_.ProgramLoaded();
    PlanTickRanges();
    link_.SetBatching(settings_ != nullptr && settings_->Switch(SettingId::kOneExchangePerTick));
    tickExchanges_ = 0;
    exchangeTicks_ = 0;
    view_.EnableTimer();
}

void WorkbenchController::ConnectOrWait() {
    if (connected_ || waiting_) return;
    waitForServer_ = true;
    ToggleConnection();
    waitForServer_ = false;
}

void WorkbenchController::Announce() {
    connectedText_ = ConnectedText(link_.FsuipcVersion(), link_.SimulatorVersion(), link_.FoundAsFs98());
    ShowStatus(LinkStatusText(LinkState::kConnected, connectedText_, 0, 0));
    if (announce_) view_.ShowLinkMessage(connectedText_);
}

void WorkbenchController::ShowStatus(const std::string& text) {
    if (text == status_) return;
    status_ = text;
    view_.SetLinkStatus(text);
}

void WorkbenchController::ReportLink(const std::string& line, int result) {
    linkProblem_ = line;
    linkResult_ = result;
    view_.ShowLinkMessage(line);
}

void WorkbenchController::SetConnected(bool on) {
    if (on) {
        if (!compiled_) return;
        IpcResult result = kIpcOk;
        ticks_ = 0;
        if (!OpenLink(result, false)) {
            connected_ = false;
            if (result == -1 || link_.Abandoned()) return;  // refused, or the user ended the wait
            if (waitForServer_ && result == kIpcNoServer) {
                linkResult_ = result;
                waiting_ = true;
                reconnectPending_ = true;
                reconnectCountdown_ = kReconnectTicks;
                view_.ShowLinkMessage("Waiting for the simulator (no FSUIPC window yet)");
                view_.SelectPage(kPageProgramOutput);
                ShowStatus(LinkStatusText(LinkState::kWaiting, "", 0, 0));
                return;
            }
            ReportLink("Cannot connect to the simulator (" + CodeAndText(result) + ")", result);
            view_.SelectPage(kPageProgramOutput);
            return;
        }
        reconnectPending_ = false;
        StartProgram();
        return;
    }
    reconnectPending_ = false;
    waiting_ = false;
    ShowStatus(LinkStatusText(LinkState::kDisconnected, "", 0, 0));
    view_.SetConnectCaption("Connect");
    view_.SetRunHint("Connect");
    view_.SetRunPicture(kPicConnect);
    connected_ = false;
    // The link is still open here, so the waiting writes and the hot-key
    // withdrawals reach FSUIPC; over a dead link they fail at once.
    link_.SetBatching(false);
    machine_.Stop();
    link_.Close();
    connected_ = false;
}

void WorkbenchController::TimerTick() {
    if (!connected_) {
        if (!reconnectPending_) return;
        ++ticks_;
        if (--reconnectCountdown_ <= 0) TryReconnect();
        return;
    }
    ++ticks_;
    const auto sent = std::chrono::steady_clock::now();
    const std::uint64_t exchangesBefore = link_.Exchanges();
    IpcResult why = kIpcOk;
    if (!Heartbeat(why)) {
        const bool userEnded = link_.Abandoned();
        SetConnected(false);
        if (userEnded) return;  // Disconnect or closing ended the wait: nothing was lost
        ReportLink(LostMessage(why, link_.Timing(), ticks_), why);
        ShowStatus(LinkStatusText(LinkState::kLost, "", 0, why));
        if (reconnect_) {
            view_.ShowLinkMessage("Trying to reconnect every 2 s");
            reconnectPending_ = true;
            reconnectCountdown_ = kReconnectTicks;
            ShowStatus(LinkStatusText(LinkState::kReconnecting, "", 0, 0));
        }
        return;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
    try {
        machine_.Tick(output_, trace_);
    } catch (const std::exception& e) {
        // Memory ran out in the middle of a run: the program stops, the window goes on.
        SetConnected(false);
        view_.ShowError(std::string("The program was stopped: ") + e.what());
        return;
    }
    tickExchanges_ += link_.Exchanges() - exchangesBefore;
    ++exchangeTicks_;
    // Once a second is enough for a figure a person reads.
    if (ticks_ % 10 == 1) {
        const double perTick = double(tickExchanges_) / double(exchangeTicks_);
        ShowStatus(LinkStatusText(LinkState::kConnected, connectedText_, ms, 0, perTick));
        tickExchanges_ = 0;
        exchangeTicks_ = 0;
    }
}

bool WorkbenchController::Heartbeat(int& why) {
    if (link_.Batching()) {
        tickRanges_ = programRanges_;
        tickRanges_.push_back({kOffsetHeartbeat, 1});
        for (int i = 0; i < kHotKeyEntries; ++i)
            if (machine_.HotKeyRegistered(i)) tickRanges_.push_back({kOffsetHotKeyTable + 4 * std::uint32_t(i), 4});
        if (!link_.BeginTick(tickRanges_, why)) return false;
    }
    if (link_.ReadByte(kOffsetHeartbeat) != -1) return true;
    why = link_.LastResult();
    return false;
}

void WorkbenchController::PlanTickRanges() {
    programRanges_.clear();
    for (const GlobalSymbol& g : program_.globals) {
        if (!g.AtFsuipc() || g.address < 0) continue;
        const std::int64_t bytes = std::int64_t{std::max(g.ElementSize(), 1)} * std::max(g.count, 1);
        programRanges_.push_back({static_cast<std::uint32_t>(g.address), static_cast<std::uint32_t>(bytes)});
    }
}

// The program that was running is started again from its code image:
// handshake, load, hot keys registered anew, exactly as Connect does.
void WorkbenchController::TryReconnect() {
    IpcResult result = kIpcOk;
    if (!OpenLink(result, true)) {
        reconnectCountdown_ = kReconnectTicks;
        return;
    }
    const bool waited = waiting_;
    reconnectPending_ = false;
    waiting_ = false;
    StartProgram();
    if (!connected_) return;
    if (!waited) view_.ShowLinkMessage("Reconnected to the simulator");
    Announce();
    for (const std::string& line : startMessages_) ProgramOutputLine(line);
}

void WorkbenchController::ToggleReconnect() {
    reconnect_ = !reconnect_;
    // Waiting for a first simulator is not a reconnect; it goes on.
    if (!reconnect_ && !waiting_) reconnectPending_ = false;
}

void WorkbenchController::ToggleDebug() {
    if (debugMode_) {
        view_.SetDebugCaption("Debug On");
        view_.SetPageVisible(kPageExpanded, false);
        view_.SetPageVisible(kPageInterpreter, false);
    } else {
        view_.SetDebugCaption("Debug Off");
        view_.SetPageVisible(kPageExpanded, true);
        view_.SetPageVisible(kPageInterpreter, true);
    }
    debugMode_ = !debugMode_;
}

void WorkbenchController::ToggleCompilerOutput() {
    showCompilerOutput_ = !showCompilerOutput_;
    view_.SetCompilerOutputChecked(showCompilerOutput_);
}

void WorkbenchController::SourceChanged() {
    ShowCompiled(false);
    view_.SetModified(true);
}

void WorkbenchController::SetSourceName(const std::string& name, const std::string& path) {
    program_.lines.SetNames(name);
    includeFolders_ = IncludeFolders(path.empty() ? name : path);
}

const std::vector<WatchRow>& WorkbenchController::WatchRows() {
    static const std::vector<WatchRow> kNone;
    if (!connected_) return kNone;
    watch_.Refresh(machine_.DataSegment(), &link_);
    return watch_.Rows();
}

void WorkbenchController::ShowCompiled(bool compiled) {
    compiled_ = compiled;
    view_.SetCompilePicture(compiled ? kPicCompiled : kPicNotCompiled);
}

void WorkbenchController::ProgramOutputLine(const std::string& line) { view_.AppendOutputLine(line); }

void WorkbenchController::TraceLine(const std::string& line) {
    if (debugMode_) view_.AppendInterpreterLine(line);
}

}  // namespace vorn
