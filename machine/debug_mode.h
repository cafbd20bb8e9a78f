#pragma once
// The program-wide debug switch: off at start, flipped by the workbench's
// Debug command. With it on the machine traces every instruction and runs
// one instruction per process per tick.

namespace vorn {

extern bool DebugMode;

}  // namespace vorn
