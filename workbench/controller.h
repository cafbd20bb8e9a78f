#pragma once
// The workbench's spine: Compile, Connect/Disconnect, the 100 ms tick and the
// two display switches. It knows no window; it talks to one through
// WorkbenchView, to FSUIPC through IpcLink and runs code on a Machine.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "compiler/program_map.h"
#include "fsuipc/tick_snapshot.h"
#include "machine/debug_mode.h"
#include "preprocessor/memory_stream.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/view.h"
#include "workbench/watch_model.h"

namespace vorn {

class IpcLink;
class Machine;
class Settings;

// Simulator version asked for at Connect: 0 accepts any.
inline constexpr int kRequestedSimVersion = 0;
// Period of the workbench timer.
inline constexpr int kTickMilliseconds = 100;
// Ticks between two reconnect attempts (2 s).
inline constexpr int kReconnectTicks = 20;

class WorkbenchController {
public:
    // The view, the link and the machine must outlive the controller.
    // debugMode is the switch the machine was given; the program-wide
    // DebugMode unless a test brings its own.
    WorkbenchController(WorkbenchView& view, IpcLink& link, Machine& machine,
                        bool& debugMode = DebugMode);

    // The machine outlives the controller; it must not keep asking it for places.
    ~WorkbenchController();
    WorkbenchController(const WorkbenchController&) = delete;
    WorkbenchController& operator=(const WorkbenchController&) = delete;

    // The share of the main window's creation: disconnected state, buffers
    // emptied, pages shown/hidden, "Source" selected, compiler output off.
    void StartUp();

    void Compile();
    // Compiles the editor's text and, when it compiles, swaps it into the
    // running program between two ticks without closing the link: globals
    // that stay keep their values, hot keys that stay keep their entries.
    // A compile with errors leaves the running program as it was. Only
    // while connected; false when nothing was swapped in.
    bool Reload();
    // Connect; F5 while waiting for the simulator cancels the waiting.
    void ToggleConnection();
    // Connect, and when there is no simulator yet, say so once and try again
    // every 2 s until one answers, Connect is pressed or a compile comes.
    void ConnectOrWait();
    bool Waiting() const { return waiting_; }
    // The link's name, time-out and attempts from these at every Connect
    // (nullptr: the environment's). They must outlive the controller.
    void UseSettings(const Settings* settings) { settings_ = settings; }
    // At Connect, a line naming the FSUIPC version and the simulator.
    void SetAnnounceConnect(bool on) { announce_ = on; }
    // The status line's text, as last given to the view.
    const std::string& StatusText() const { return status_; }
    void SetConnected(bool on);
    void TimerTick();
    void ToggleDebug();
    void ToggleCompilerOutput();
    void SourceChanged();
    // Options > "Reconnect Automatically": after a lost link, try to connect
    // every 2 s and, when a simulator answers, do a full Connect.
    void ToggleReconnect();

    // Names the edited text in source places ("prog.vrn:6"); its includes
    // are looked for beside path (name when no path is given, the library
    // folder alone for neither). Takes effect at the next compile.
    void SetSourceName(const std::string& name, const std::string& path = {});
    // Beside the image: line map, code lines and globals of the last
    // successful compile (code and globals empty after a failed one).
    const ProgramMap& Program() const { return program_; }
    // The line map of the listing on "Compiler": the running program's,
    // except after a reload that failed, whose diagnostics it places.
    const LineMap& ListingLines() const { return listingLines_; }
    // The "Watch" page: every global of the running program, read now (the
    // FSUIPC-bound ones in one exchange). Call it every tick while the page
    // is shown, and only then. Empty while disconnected.
    const std::vector<WatchRow>& WatchRows();

    bool Connected() const { return connected_; }
    // Read back from the TBCompile picture: it is the only record of a success.
    bool Compiled() const;
    bool ShowCompilerOutput() const { return showCompilerOutput_; }
    // The process-wide debug switch (DebugMode).
    bool Debugging() const { return debugMode_; }
    bool ReconnectEnabled() const { return reconnect_; }
    // A link was lost and the controller is trying to connect again.
    bool Reconnecting() const { return reconnectPending_; }
    // Why the last Connect failed or the link was lost, as shown to the
    // user; "" when the last Connect succeeded and the link still holds.
    const std::string& LinkProblem() const { return linkProblem_; }
    // The client's result code behind LinkProblem() (0 when there is none).
    int LinkResult() const { return linkResult_; }

    // The machine's two line sinks.
    void ProgramOutputLine(const std::string& line);
    void TraceLine(const std::string& line);

    // The four buffers, read-only, for tools and tests.
    const MemoryStream& SourceBuffer() const { return source_; }
    const MemoryStream& ExpandedBuffer() const { return expanded_; }
    const MemoryStream& ListingBuffer() const { return listing_; }
    const MemoryStream& ImageBuffer() const { return image_; }

private:
    // Expands and compiles the editor's text into next and image, the
    // listing into listing_; throws vorn::Error as Expand and CompileSource do.
    bool CompileEditorText(ProgramMap& next, MemoryStream& image, int& errors);
    void ShowListing();
    bool OpenLink(int& result, bool probe);  // result: the link's IpcResult
    void StartProgram();
    void TryReconnect();
    void ReportLink(const std::string& line, int result);
    void Announce();
    void ShowStatus(const std::string& text);
    // The heartbeat; batched, after the tick's one exchange. False with why.
    bool Heartbeat(int& why);
    // The offsets a batched tick reads: the program's `at` globals, the
    // heartbeat and the registered hot-key entries.
    void PlanTickRanges();

    WorkbenchView& view_;
    IpcLink& link_;
    Machine& machine_;
    bool& debugMode_;
    const std::function<void(const std::string&)> output_;
    const std::function<void(const std::string&)> trace_;

    MemoryStream source_;
    MemoryStream expanded_;
    MemoryStream listing_;
    MemoryStream image_;
    ProgramMap program_;
    LineMap listingLines_;
    std::vector<std::string> includeFolders_;
    WatchModel watch_;

    std::vector<std::string> startMessages_;
    bool connected_ = false;
    bool showCompilerOutput_ = false;
    bool reconnect_ = false;
    bool reconnectPending_ = false;
    int reconnectCountdown_ = 0;
    std::int64_t ticks_ = 0;  // since the last Connect command
    std::string linkProblem_;
    int linkResult_ = 0;
    const Settings* settings_ = nullptr;
    bool announce_ = false;
    bool waitForServer_ = false;  // this Connect waits when there is no simulator
    bool waiting_ = false;        // no simulator yet: trying every 2 s
    std::string connectedText_;
    std::string status_;
    std::vector<OffsetRange> programRanges_;  // of the running program's `at` globals
    std::vector<OffsetRange> tickRanges_;
    std::uint64_t tickExchanges_ = 0;  // since the status line last showed them
    std::int64_t exchangeTicks_ = 0;
};

}  // namespace vorn
