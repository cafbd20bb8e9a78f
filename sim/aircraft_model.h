#pragma once
// A small aircraft for the simulated server, so that programs have something
// to watch: it keeps a handful of well-known FSUIPC offsets moving in their
// usual units and follows the autopilot, throttle, brake and pause offsets a
// program writes. One Advance() is 100 ms of simulated time.
//
// Offsets it keeps (sizes in bytes):
//   0x0238 1  hour (local)          0x0239 1  minute       0x023A 1  second
//   0x0264 2  pause indicator (1 paused)
//   0x02BC 4  indicated airspeed, knots x 128
//   0x02C8 4  vertical speed, m/s x 256 (signed)
//   0x0366 2  on ground (1) / airborne (0)
//   0x0570 8  altitude, metres x 65536 x 65536 (0x0574, 4 bytes: whole metres)
//   0x0580 4  heading, degrees x 65536 x 65536 / 360
//   0x3324 4  altitude, feet
// Offsets it follows (a program writes them):
//   0x0262 2  pause control (non-zero pauses)
//   0x07C8 4  autopilot heading hold (non-zero on)
//   0x07CC 2  autopilot heading, degrees x 65536 / 360
//   0x07D0 4  autopilot altitude hold (non-zero on)
//   0x07D4 4  autopilot altitude, metres x 65536
//   0x07DC 4  autopilot airspeed hold (non-zero on)
//   0x07E2 2  autopilot airspeed, knots
//   0x07F2 2  autopilot vertical speed, feet per minute (signed)
//   0x088C 2  engine 1 throttle, 0 .. 16384
//   0x0BC8 2  parking brake (non-zero set)
// A program that writes altitude, heading or airspeed directly moves the
// aircraft there (the model notices the changed bytes and takes them over).
#include <cstdint>

#include "sim/sim_server.h"

namespace vorn {

struct AircraftState {
    double altitudeFt = 1500.0;
    double airspeedKt = 110.0;
    double headingDeg = 270.0;
    double verticalFpm = 0.0;
    bool onGround = false;
    bool paused = false;
    double clockSeconds = 12 * 3600.0;  // time of day
};

class AircraftModel {
public:
    static constexpr double kStepSeconds = 0.1;

    // Writes the starting state into the server: airborne at 1500 ft,
    // 110 kt, heading 270, with the autopilot set to climb to 5000 ft at
    // 700 ft/min, turn to heading 360 and hold 120 kt.
    explicit AircraftModel(SimServer& server, AircraftState start = {});

    // One 100 ms step: reads what programs wrote, moves, writes the state.
    void Advance();

    const AircraftState& State() const { return state_; }

private:
    void TakeOverWrites();
    void Write();

    SimServer& server_;
    AircraftState state_;
    // What the model wrote last, to tell a program's writes from its own.
    std::int64_t lastAltitudeRaw_ = 0;
    std::int32_t lastAltitudeFeet_ = 0;
    std::uint32_t lastHeadingRaw_ = 0;
    std::int32_t lastAirspeedRaw_ = 0;
};

}  // namespace vorn
