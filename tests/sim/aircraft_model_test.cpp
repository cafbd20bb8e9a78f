// The aircraft model keeps its offsets moving in FSUIPC's units and follows
// what a program writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "sim/aircraft_model.h"
#include "sim/sim_server.h"

namespace vorn {
namespace {

std::int64_t Get(const SimServer& sim, std::uint16_t offset, int size) {
    std::uint8_t b[8] = {};
    sim.Peek(offset, b, static_cast<std::size_t>(size));
    std::uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | b[i];
    if (size < 8 && (v >> (8 * size - 1)) & 1) return static_cast<std::int64_t>(v) - (std::int64_t{1} << (8 * size));
    return static_cast<std::int64_t>(v);
}

void Set(SimServer& sim, std::uint16_t offset, int size, std::int64_t value) {
    std::uint8_t b[8];
    for (int i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
    sim.Poke(offset, b, static_cast<std::size_t>(size));
}

double HeadingOf(const SimServer& sim) {
    return static_cast<double>(static_cast<std::uint32_t>(Get(sim, 0x0580, 4))) * 360.0 / 4294967296.0;
}

void Advance(AircraftModel& model, int steps) {
    for (int i = 0; i < steps; ++i) model.Advance();
}

TEST(AircraftModel, WritesItsStartingStateInFsuipcUnits) {
    SimServer sim;
    AircraftModel model(sim);
    EXPECT_EQ(Get(sim, 0x3324, 4), 1500);
    EXPECT_EQ(Get(sim, 0x0574, 4), 457) << "whole metres in the high half of 0x0570";
    EXPECT_EQ(Get(sim, 0x02BC, 4), 110 * 128);
    EXPECT_NEAR(HeadingOf(sim), 270.0, 1e-6);
    EXPECT_EQ(Get(sim, 0x02C8, 4), 0);
    EXPECT_EQ(Get(sim, 0x0366, 2), 0);
    EXPECT_EQ(Get(sim, 0x0264, 2), 0);
    EXPECT_EQ(Get(sim, 0x0238, 1), 12);
    EXPECT_EQ(Get(sim, 0x0239, 1), 0);
    EXPECT_EQ(Get(sim, 0x07D0, 4), 1);
    EXPECT_NEAR(Get(sim, 0x07D4, 4) / 65536.0 / 0.3048, 5000.0, 0.5);
}

TEST(AircraftModel, TenStepsAreOneSecondOfClock) {
    SimServer sim;
    AircraftModel model(sim);
    Advance(model, 10);
    EXPECT_EQ(Get(sim, 0x023A, 1), 1);
    Advance(model, 600);
    EXPECT_EQ(Get(sim, 0x0239, 1), 1);
    EXPECT_EQ(Get(sim, 0x023A, 1), 1);
}

TEST(AircraftModel, ClimbsAtTheSetRateAndLevelsOffAtTheSetAltitude) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07D4, 4, std::lround(1800 * 0.3048 * 65536));
    Advance(model, 100);  // 10 s: up to 700 ft/min within the first second
    EXPECT_NEAR(Get(sim, 0x02C8, 4) / 256.0 / 0.3048 * 60.0, 700.0, 5.0);
    EXPECT_NEAR(Get(sim, 0x3324, 4), 1500 + 700.0 / 6 - 6, 4.0);
    Advance(model, 600);  // a minute later it has reached 1800 ft and levelled off
    EXPECT_NEAR(Get(sim, 0x3324, 4), 1800, 2.0);
    EXPECT_NEAR(Get(sim, 0x02C8, 4), 0, 3.0);
}

struct TurnCase {
    int bugDegrees;
    double after10s;
};

class AircraftTurns : public ::testing::TestWithParam<TurnCase> {};

TEST_P(AircraftTurns, TheShortWayAtThreeDegreesASecond) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07CC, 2, GetParam().bugDegrees * 65536 / 360);
    Advance(model, 100);
    EXPECT_NEAR(HeadingOf(sim), GetParam().after10s, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Bugs, AircraftTurns,
                         ::testing::Values(TurnCase{0, 300.0}, TurnCase{180, 240.0}, TurnCase{275, 275.0},
                                           TurnCase{90, 300.0}));

TEST(AircraftModel, PauseStopsEverythingUntilResumed) {
    SimServer sim;
    AircraftModel model(sim);
    Advance(model, 20);
    Set(sim, 0x0262, 2, 1);
    model.Advance();
    const auto altitude = Get(sim, 0x0570, 8);
    const auto heading = Get(sim, 0x0580, 4);
    const auto second = Get(sim, 0x023A, 1);
    EXPECT_EQ(Get(sim, 0x0264, 2), 1);
    Advance(model, 50);
    EXPECT_EQ(Get(sim, 0x0570, 8), altitude);
    EXPECT_EQ(Get(sim, 0x0580, 4), heading);
    EXPECT_EQ(Get(sim, 0x023A, 1), second);
    Set(sim, 0x0262, 2, 0);
    Advance(model, 10);
    EXPECT_EQ(Get(sim, 0x0264, 2), 0);
    EXPECT_NE(Get(sim, 0x0570, 8), altitude);
}

TEST(AircraftModel, TakesOverWhatAProgramWritesDirectly) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07D0, 4, 0);  // no altitude hold, no set rate: level flight
    Set(sim, 0x07F2, 2, 0);
    Set(sim, 0x07C8, 4, 0);  // no heading hold
    Set(sim, 0x3324, 4, 8000);
    Set(sim, 0x0580, 4, 0x40000000);  // 90 degrees
    Advance(model, 10);
    EXPECT_NEAR(model.State().altitudeFt, 8000.0, 1.0);
    EXPECT_EQ(Get(sim, 0x3324, 4), 8000);
    EXPECT_EQ(Get(sim, 0x0574, 4), std::lround(8000 * 0.3048 - 0.5));
    EXPECT_NEAR(HeadingOf(sim), 90.0, 1e-6);
}

TEST(AircraftModel, HoldsTheSetAirspeed) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07E2, 2, 150);
    Advance(model, 100);
    EXPECT_NEAR(Get(sim, 0x02BC, 4) / 128.0, 130.0, 0.1) << "2 knots a second";
    Advance(model, 150);
    EXPECT_EQ(Get(sim, 0x02BC, 4), 150 * 128);
}

TEST(AircraftModel, OnTheGroundTheBrakeHoldsItAndThrottleTakesItUp) {
    SimServer sim;
    AircraftState parked;
    parked.altitudeFt = 0;
    parked.airspeedKt = 0;
    parked.onGround = true;
    AircraftModel model(sim, parked);
    Set(sim, 0x07DC, 4, 0);      // no speed hold: the throttle decides
    Set(sim, 0x0BC8, 2, 32767);  // parking brake
    Set(sim, 0x088C, 2, 16384);  // full throttle
    Advance(model, 100);
    EXPECT_EQ(Get(sim, 0x0366, 2), 1);
    EXPECT_EQ(Get(sim, 0x02BC, 4), 0);
    EXPECT_EQ(Get(sim, 0x3324, 4), 0);

    Set(sim, 0x0BC8, 2, 0);
    Advance(model, 300);  // 30 s: past lift-off speed and climbing toward 5000 ft
    EXPECT_EQ(Get(sim, 0x0366, 2), 0);
    EXPECT_GT(Get(sim, 0x3324, 4), 0);
    EXPECT_GT(Get(sim, 0x02C8, 4), 0);
}

// FSUIPC's units, written out here rather than taken from the catalogue.
constexpr double kTwo32 = 4294967296.0;
double AngleOf(const SimServer& sim, std::uint16_t offset) { return Get(sim, offset, 4) * 360.0 / kTwo32; }
double KnotsOf64k(const SimServer& sim, std::uint16_t offset) { return Get(sim, offset, 4) / 65536.0 * 3600 / 1852; }
double LatitudeOf(const SimServer& sim) { return Get(sim, 0x0560, 8) * 90.0 / (10001750.0 * kTwo32); }
double LongitudeOf(const SimServer& sim) { return Get(sim, 0x0568, 8) * 360.0 / (kTwo32 * kTwo32); }

TEST(AircraftModel, SpeedsAgreeWithEachOtherAndTheAltitude) {
    SimServer sim;
    AircraftModel model(sim);
    const double tas = 110.0 * (1 + 0.02 * 1.5);  // 2% a thousand feet
    EXPECT_NEAR(Get(sim, 0x02B8, 4) / 128.0, tas, 0.01);
    EXPECT_NEAR(KnotsOf64k(sim, 0x02B4), tas, 0.01) << "no wind: ground speed is true airspeed";
    EXPECT_EQ(Get(sim, 0x0C1A, 2), 256);
    EXPECT_EQ(Get(sim, 0x0330, 2), 16212) << "1013.25 mb";
    EXPECT_EQ(Get(sim, 0x0BE8, 4), 0) << "airborne, gear up";
    EXPECT_EQ(Get(sim, 0x0D0C, 2), 0x13);
    EXPECT_EQ(Get(sim, 0x034E, 2), 0x2270);
}

TEST(AircraftModel, FliesAlongItsHeadingAtTheGroundSpeed) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07C8, 4, 0);  // no heading hold: straight on west
    Set(sim, 0x07D0, 4, 0);  // no altitude hold, no set rate: level
    Set(sim, 0x07F2, 2, 0);
    Set(sim, 0x07E2, 2, 110);  // the speed it has
    const double latitude = LatitudeOf(sim), longitude = LongitudeOf(sim);
    const double knots = KnotsOf64k(sim, 0x02B4);
    Advance(model, 600);  // a minute
    const double metres = knots * 1852.0 / 60.0;
    const double perDegree = 10001750.0 / 90.0;
    EXPECT_NEAR(LatitudeOf(sim), latitude, 1e-9);
    EXPECT_NEAR((longitude - LongitudeOf(sim)) * perDegree * std::cos(latitude * 3.14159265358979 / 180.0), metres,
                metres * 0.001);
}

TEST(AircraftModel, TheAttitudeFollowsTheTurnAndTheClimb) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07CC, 2, 90 * 65536 / 360);  // turn right, the long way to north
    Advance(model, 30);                      // 3 s, climbing at 700 ft/min
    const double tasMps = Get(sim, 0x02B8, 4) / 128.0 * 1852 / 3600;
    const double bank = std::atan(tasMps * 3.0 * 3.14159265358979 / 180.0 / 9.80665) * 180.0 / 3.14159265358979;
    EXPECT_NEAR(AngleOf(sim, 0x057C), -bank, 0.1) << "right wing down is negative";
    const double climbMps = Get(sim, 0x02C8, 4) / 256.0;
    EXPECT_NEAR(AngleOf(sim, 0x0578), -std::atan2(climbMps, tasMps) * 180.0 / 3.14159265358979, 0.05)
        << "nose up is negative";
    EXPECT_LT(AngleOf(sim, 0x0578), -1.0);
    Set(sim, 0x07C8, 4, 0);  // no heading hold: the wings level at 10 degrees a second
    Advance(model, 30);
    EXPECT_EQ(Get(sim, 0x057C, 4), 0);
}

struct TravelCase {
    const char* what;
    std::uint16_t control;
    std::uint16_t position;
    int stepsToFull;
};

class AircraftTravels : public ::testing::TestWithParam<TravelCase> {};

TEST_P(AircraftTravels, PositionFollowsItsControl) {
    SimServer sim;
    AircraftModel model(sim);
    const TravelCase& c = GetParam();
    Set(sim, c.control, 4, 16383);
    Advance(model, c.stepsToFull / 2);
    EXPECT_NEAR(Get(sim, c.position, 4), 16383 / 2, 200) << c.what << " halfway";
    Advance(model, c.stepsToFull / 2 + 1);
    EXPECT_EQ(Get(sim, c.position, 4), 16383) << c.what;
    Set(sim, c.control, 4, 0);
    Advance(model, c.stepsToFull + 1);
    EXPECT_EQ(Get(sim, c.position, 4), 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Controls, AircraftTravels,
                         ::testing::Values(TravelCase{"nose gear", 0x0BE8, 0x0BEC, 50},
                                           TravelCase{"left gear", 0x0BE8, 0x0BF4, 50},
                                           TravelCase{"right gear", 0x0BE8, 0x0BF0, 50},
                                           TravelCase{"flaps", 0x0BDC, 0x0BE0, 100}),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& ch : name) ch = ch == ' ' ? '_' : ch;
                             return name;
                         });

TEST(AircraftModel, SimRateRunsTheClockFaster) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x0C1A, 2, 512);
    Advance(model, 10);
    EXPECT_EQ(Get(sim, 0x023A, 1), 2);
    Set(sim, 0x0C1A, 2, 0);  // below a quarter: a quarter
    Advance(model, 40);
    EXPECT_EQ(Get(sim, 0x023A, 1), 3);
}

TEST(AircraftModel, WithoutTheMasterTheAutopilotHoldsNothing) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x07BC, 4, 0);
    Set(sim, 0x07F2, 2, 0);
    Advance(model, 100);
    EXPECT_NEAR(HeadingOf(sim), 270.0, 1e-6) << "no turn to the bug";
    EXPECT_GT(Get(sim, 0x02BC, 4), 120 * 128) << "the throttle, not the 120 kt hold";
}

TEST(AircraftModel, EnginesFollowTheirThrottlesAndBurnFuel) {
    SimServer sim;
    AircraftModel model(sim);
    Set(sim, 0x088C, 2, 16384);
    Set(sim, 0x0924, 2, 0);
    model.Advance();
    EXPECT_EQ(Get(sim, 0x0898, 2), 16384) << "100%";
    EXPECT_EQ(Get(sim, 0x0930, 2), std::lround(20.0 * 16384 / 100)) << "idle";
    const auto gross = [&] {
        std::uint8_t bytes[8];
        sim.Peek(0x30C0, bytes, 8);
        double pounds;
        std::memcpy(&pounds, bytes, 8);
        return pounds;
    };
    const double before = gross();
    EXPECT_EQ(Get(sim, 0x126C, 4), std::lround(before - AircraftModel::kEmptyWeightLb));
    Advance(model, 6000);  // ten minutes, at 0.002 lb/s idle and 0.012 lb/s full
    EXPECT_NEAR(before - gross(), 600 * (0.012 + 0.002), 1e-6);
    EXPECT_EQ(Get(sim, 0x126C, 4), std::lround(gross() - AircraftModel::kEmptyWeightLb)) << "pounds";
}

}  // namespace
}  // namespace vorn
