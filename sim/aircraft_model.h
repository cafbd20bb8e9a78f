#pragma once
// A small aircraft for the simulated server, so that programs have something
// to watch: it keeps the flight offsets of the catalogue (fsuipc/offsets_
// catalogue.def, where their sizes and units are) moving together, as a
// simulator does, and follows the controls a program writes. One Advance()
// is 100 ms of simulated time at SimRate 1.
//
// It keeps: AltitudeMsl and AltimeterAltitude, IndicatedAirspeed,
// TrueAirspeed, GroundSpeed, VerticalSpeed, HeadingTrue, Pitch, Bank,
// Latitude, Longitude, OnGround, GroundAltitude, the clock (ClockHour,
// ClockMinute, ClockSecond), PauseIndicator, the gear and flaps positions,
// Engine1N1, Engine2N1, FuelTotalWeight and GrossWeight.
// It follows: PauseControl, SimRate, ApMaster with the heading, altitude and
// airspeed holds and their settings (ApHeading, ApAltitude, ApAirspeed,
// ApVerticalSpeed), Engine1Throttle, Engine2Throttle, ParkingBrake,
// GearHandle and FlapsControl.
// It sets once: the radios, Lights, AltimeterSetting and the aircraft's names.
// A program that writes altitude, heading, airspeed or position directly
// moves the aircraft there (the model notices the changed bytes and takes
// them over).
#include <cstdint>

#include "sim/sim_server.h"

namespace vorn {

struct AircraftState {
    double altitudeFt = 1500.0;
    double airspeedKt = 110.0;  // indicated
    double headingDeg = 270.0;
    double verticalFpm = 0.0;
    double pitchDeg = 0.0;  // nose up positive (FSUIPC's sign is the other way)
    double bankDeg = 0.0;   // right wing down positive (likewise)
    double latitudeDeg = 47.4502;
    double longitudeDeg = -122.3088;
    double gearDown = 0.0;  // 0 up .. 1 down; on the ground it starts down
    double flaps = 0.0;     // 0 up .. 1 full
    double fuelLb = 300.0;
    bool onGround = false;
    bool paused = false;
    double clockSeconds = 12 * 3600.0;  // time of day
};

class AircraftModel {
public:
    static constexpr double kStepSeconds = 0.1;
    static constexpr double kEmptyWeightLb = 1600.0;

    // Writes the starting state into the server: airborne at 1500 ft,
    // 110 kt, heading 270, with the autopilot set to climb to 5000 ft at
    // 700 ft/min, turn to heading 360 and hold 120 kt.
    explicit AircraftModel(SimServer& server, AircraftState start = {});

    // One 100 ms step: reads what programs wrote, moves, writes the state.
    void Advance();

    const AircraftState& State() const { return state_; }

private:
    void TakeOverWrites();
    void Fly(double dt);
    void Write();

    SimServer& server_;
    AircraftState state_;
    // What the model wrote last, to tell a program's writes from its own.
    std::int64_t lastAltitudeRaw_ = 0;
    std::int64_t lastAltitudeFeet_ = 0;
    std::int64_t lastHeadingRaw_ = 0;
    std::int64_t lastAirspeedRaw_ = 0;
    std::int64_t lastLatitudeRaw_ = 0;
    std::int64_t lastLongitudeRaw_ = 0;
};

}  // namespace vorn
