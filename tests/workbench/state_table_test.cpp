// The two flags' four states and every event from each of them.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/workbench/recording_view.h"

namespace vorn::test {
namespace {

enum class State { Editing, Ready, Running, RunningChanged };
enum class Event { CompileGood, CompileBad, Edit, ToggleConnection, Tick, LostLink };

struct Transition {
    State from;
    Event event;
    bool compiled;   // afterwards
    bool connected;  // afterwards
};

const char* Name(State s) {
    switch (s) {
        case State::Editing: return "Editing";
        case State::Ready: return "Ready";
        case State::Running: return "Running";
        case State::RunningChanged: return "RunningChanged";
    }
    return "?";
}

const char* Name(Event e) {
    switch (e) {
        case Event::CompileGood: return "CompileGood";
        case Event::CompileBad: return "CompileBad";
        case Event::Edit: return "Edit";
        case Event::ToggleConnection: return "ToggleConnection";
        case Event::Tick: return "Tick";
        case Event::LostLink: return "LostLink";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& os, const Transition& t) { return os << Name(t.from) << Name(t.event); }

class StateTable : public WorkbenchFixture, public ::testing::WithParamInterface<Transition> {
protected:
    void Reach(State s) {
        if (s == State::Editing) return;
        CompileProgram(kHotKeyProgram);
        if (s == State::Ready) return;
        controller.ToggleConnection();
        if (s == State::RunningChanged) controller.SourceChanged();
    }
    void Fire(Event e) {
        switch (e) {
            case Event::CompileGood: CompileProgram(kHotKeyProgram); break;
            case Event::CompileBad: CompileProgram({"int broken"}); break;
            case Event::Edit: controller.SourceChanged(); break;
            case Event::ToggleConnection: controller.ToggleConnection(); break;
            case Event::Tick: controller.TimerTick(); break;
            case Event::LostLink:
                faults.FailSends(-1, 0);
                controller.TimerTick();
                break;
        }
    }
};

TEST_P(StateTable, EventLeadsToTheNextState) {
    const Transition& t = GetParam();
    Reach(t.from);
    Fire(t.event);
    EXPECT_EQ(controller.Compiled(), t.compiled);
    EXPECT_EQ(controller.Connected(), t.connected);
    EXPECT_EQ(view.compilePicture, t.compiled ? kPicCompiled : kPicNotCompiled);
    EXPECT_EQ(view.connectCaption, t.connected ? "Disconnect" : "Connect");
    EXPECT_EQ(link.IsOpen(), t.connected) << "the link is open exactly while connected";
    if (t.event != Event::LostLink) {
        EXPECT_EQ(sim.RegisteredKeys().size(), t.connected ? 1u : 0u) << "hot keys registered exactly while connected";
    }
}

using S = State;
using E = Event;
INSTANTIATE_TEST_SUITE_P(
    AllStates, StateTable,
    ::testing::Values(
        Transition{S::Editing, E::CompileGood, true, false}, Transition{S::Editing, E::CompileBad, false, false},
        Transition{S::Editing, E::Edit, false, false}, Transition{S::Editing, E::ToggleConnection, false, false},
        Transition{S::Editing, E::Tick, false, false}, Transition{S::Editing, E::LostLink, false, false},
        Transition{S::Ready, E::CompileGood, true, false}, Transition{S::Ready, E::CompileBad, false, false},
        Transition{S::Ready, E::Edit, false, false}, Transition{S::Ready, E::ToggleConnection, true, true},
        Transition{S::Ready, E::Tick, true, false}, Transition{S::Ready, E::LostLink, true, false},
        Transition{S::Running, E::CompileGood, true, false}, Transition{S::Running, E::CompileBad, false, false},
        Transition{S::Running, E::Edit, false, true}, Transition{S::Running, E::ToggleConnection, true, false},
        Transition{S::Running, E::Tick, true, true}, Transition{S::Running, E::LostLink, true, false},
        Transition{S::RunningChanged, E::CompileGood, true, false},
        Transition{S::RunningChanged, E::CompileBad, false, false},
        Transition{S::RunningChanged, E::Edit, false, true},
        Transition{S::RunningChanged, E::ToggleConnection, false, false},
        Transition{S::RunningChanged, E::Tick, false, true},
        Transition{S::RunningChanged, E::LostLink, false, false}),
    [](const ::testing::TestParamInfo<Transition>& info) {
        return std::string(Name(info.param.from)) + Name(info.param.event);
    });

}  // namespace
}  // namespace vorn::test
