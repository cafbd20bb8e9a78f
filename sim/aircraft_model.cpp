#include "sim/aircraft_model.h"

#include <algorithm>
#include <cmath>

namespace vorn {

namespace {

constexpr double kMetresPerFoot = 0.3048;
constexpr double kTwo32 = 4294967296.0;

// Offsets, as the header lists them.
constexpr std::uint16_t kHour = 0x0238, kMinute = 0x0239, kSecond = 0x023A;
constexpr std::uint16_t kPauseControl = 0x0262, kPauseIndicator = 0x0264;
constexpr std::uint16_t kAirspeed = 0x02BC, kVerticalSpeed = 0x02C8, kOnGround = 0x0366;
constexpr std::uint16_t kAltitude = 0x0570, kHeading = 0x0580, kAltitudeFeet = 0x3324;
constexpr std::uint16_t kApHeadingHold = 0x07C8, kApHeading = 0x07CC;
constexpr std::uint16_t kApAltitudeHold = 0x07D0, kApAltitude = 0x07D4;
constexpr std::uint16_t kApSpeedHold = 0x07DC, kApSpeed = 0x07E2, kApVerticalSpeed = 0x07F2;
constexpr std::uint16_t kThrottle = 0x088C, kParkingBrake = 0x0BC8;

// Performance of the little aircraft.
constexpr double kTurnRateDegPerSec = 3.0;        // a standard-rate turn
constexpr double kVerticalAccelFpmPerSec = 1000.0;
constexpr double kDefaultClimbFpm = 700.0;
constexpr double kAccelKtPerSec = 2.0;
constexpr double kTakeOffAccelKtPerSec = 5.0;  // full power on the runway
constexpr double kDecelKtPerSec = 3.0;
constexpr double kLiftOffKt = 70.0;
constexpr double kMaxAirspeedKt = 250.0;

std::uint64_t PeekUnsigned(const SimServer& server, std::uint16_t offset, int size) {
    std::uint8_t bytes[8] = {};
    server.Peek(offset, bytes, static_cast<std::size_t>(size));
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

std::int64_t PeekSigned(const SimServer& server, std::uint16_t offset, int size) {
    const std::uint64_t raw = PeekUnsigned(server, offset, size);
    if (size < 8 && (raw >> (8 * size - 1)) & 1) return static_cast<std::int64_t>(raw) - (std::int64_t{1} << (8 * size));
    return static_cast<std::int64_t>(raw);
}

void PokeValue(SimServer& server, std::uint16_t offset, int size, std::uint64_t value) {
    std::uint8_t bytes[8];
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    server.Poke(offset, bytes, static_cast<std::size_t>(size));
}

double MoveToward(double value, double target, double maxStep) {
    if (value < target) return std::min(value + maxStep, target);
    return std::max(value - maxStep, target);
}

double NormalizeHeading(double deg) {
    deg = std::fmod(deg, 360.0);
    if (deg < 0) deg += 360.0;
    return deg;
}

std::int64_t AltitudeRaw(double feet) {
    return static_cast<std::int64_t>(std::llround(feet * kMetresPerFoot * kTwo32));
}

std::uint32_t HeadingRaw(double deg) {
    const double raw = std::round(NormalizeHeading(deg) / 360.0 * kTwo32);
    return raw >= kTwo32 ? 0u : static_cast<std::uint32_t>(raw);
}

}  // namespace

AircraftModel::AircraftModel(SimServer& server, AircraftState start) : server_(server), state_(start) {
    state_.headingDeg = NormalizeHeading(state_.headingDeg);
    PokeValue(server_, kApHeadingHold, 4, 1);
    PokeValue(server_, kApHeading, 2, 0);  // north
    PokeValue(server_, kApAltitudeHold, 4, 1);
    PokeValue(server_, kApAltitude, 4,
              static_cast<std::uint32_t>(std::lround(5000.0 * kMetresPerFoot * 65536.0)));
    PokeValue(server_, kApVerticalSpeed, 2, 700);
    PokeValue(server_, kApSpeedHold, 4, 1);
    PokeValue(server_, kApSpeed, 2, 120);
    PokeValue(server_, kThrottle, 2, 12000);
    PokeValue(server_, kParkingBrake, 2, 0);
    PokeValue(server_, kPauseControl, 2, state_.paused ? 1 : 0);
    Write();
}

void AircraftModel::TakeOverWrites() {
    const std::int64_t altitude = PeekSigned(server_, kAltitude, 8);
    const std::int64_t feet = PeekSigned(server_, kAltitudeFeet, 4);
    if (altitude != lastAltitudeRaw_) {
        state_.altitudeFt = static_cast<double>(altitude) / kTwo32 / kMetresPerFoot;
    } else if (feet != lastAltitudeFeet_) {
        state_.altitudeFt = static_cast<double>(feet);
    }
    state_.altitudeFt = std::clamp(state_.altitudeFt, 0.0, 60000.0);
    const auto heading = static_cast<std::uint32_t>(PeekUnsigned(server_, kHeading, 4));
    if (heading != lastHeadingRaw_) state_.headingDeg = heading / kTwo32 * 360.0;
    const std::int64_t airspeed = PeekSigned(server_, kAirspeed, 4);
    if (airspeed != lastAirspeedRaw_) {
        state_.airspeedKt = std::clamp(static_cast<double>(airspeed) / 128.0, 0.0, kMaxAirspeedKt);
    }
}

void AircraftModel::Advance() {
    TakeOverWrites();
    state_.paused = PeekUnsigned(server_, kPauseControl, 2) != 0;
    if (state_.paused) {
        Write();
        return;
    }
    const double dt = kStepSeconds;
    state_.clockSeconds = std::fmod(state_.clockSeconds + dt, 24 * 3600.0);

    // Heading: turn the short way toward the bug at a standard rate.
    if (PeekUnsigned(server_, kApHeadingHold, 4) != 0 && !state_.onGround) {
        const double target = PeekUnsigned(server_, kApHeading, 2) * 360.0 / 65536.0;
        double diff = NormalizeHeading(target - state_.headingDeg);
        if (diff > 180.0) diff -= 360.0;
        const double turn = std::clamp(diff, -kTurnRateDegPerSec * dt, kTurnRateDegPerSec * dt);
        state_.headingDeg = NormalizeHeading(state_.headingDeg + turn);
    }

    // Airspeed: the speed hold, else the throttle; the brake stops it on the ground.
    double targetKt;
    const double throttle = std::clamp(static_cast<double>(PeekSigned(server_, kThrottle, 2)), 0.0, 16384.0);
    if (state_.onGround && PeekUnsigned(server_, kParkingBrake, 2) != 0) {
        targetKt = 0.0;
    } else if (PeekUnsigned(server_, kApSpeedHold, 4) != 0) {
        targetKt = static_cast<double>(PeekUnsigned(server_, kApSpeed, 2));
    } else if (state_.onGround) {
        targetKt = throttle / 16384.0 * 160.0;
    } else {
        targetKt = 60.0 + throttle / 16384.0 * 140.0;
    }
    targetKt = std::clamp(targetKt, 0.0, kMaxAirspeedKt);
    const double accel = state_.onGround ? kTakeOffAccelKtPerSec : kAccelKtPerSec;
    const double rate = targetKt > state_.airspeedKt ? accel : kDecelKtPerSec;
    state_.airspeedKt = MoveToward(state_.airspeedKt, targetKt, rate * dt);

    // Vertical speed: the altitude hold climbs or descends to its altitude at
    // the set rate and levels off smoothly; without it the set rate is flown.
    const double setFpm = static_cast<double>(PeekSigned(server_, kApVerticalSpeed, 2));
    double targetFpm = setFpm;
    if (PeekUnsigned(server_, kApAltitudeHold, 4) != 0) {
        const double targetFt =
            static_cast<double>(PeekSigned(server_, kApAltitude, 4)) / 65536.0 / kMetresPerFoot;
        const double limit = setFpm != 0.0 ? std::fabs(setFpm) : kDefaultClimbFpm;
        targetFpm = std::clamp((targetFt - state_.altitudeFt) * 12.0, -limit, limit);
    }
    if (state_.airspeedKt < kLiftOffKt && state_.onGround) targetFpm = 0.0;
    state_.verticalFpm = MoveToward(state_.verticalFpm, targetFpm, kVerticalAccelFpmPerSec * dt);
    state_.altitudeFt += state_.verticalFpm / 60.0 * dt;
    if (state_.altitudeFt <= 0.0) {
        state_.altitudeFt = 0.0;
        state_.verticalFpm = std::max(state_.verticalFpm, 0.0);
    }
    state_.onGround = state_.altitudeFt <= 0.0 && state_.verticalFpm <= 0.0;
    Write();
}

void AircraftModel::Write() {
    // The steps add tenths that a double does not hold exactly.
    const auto clock = static_cast<long>(std::floor(state_.clockSeconds + 1e-6));
    PokeValue(server_, kHour, 1, static_cast<std::uint64_t>(clock / 3600 % 24));
    PokeValue(server_, kMinute, 1, static_cast<std::uint64_t>(clock / 60 % 60));
    PokeValue(server_, kSecond, 1, static_cast<std::uint64_t>(clock % 60));
    PokeValue(server_, kPauseIndicator, 2, state_.paused ? 1 : 0);

    lastAirspeedRaw_ = static_cast<std::int32_t>(std::lround(state_.airspeedKt * 128.0));
    PokeValue(server_, kAirspeed, 4, static_cast<std::uint32_t>(lastAirspeedRaw_));
    const auto vs = static_cast<std::int32_t>(std::lround(state_.verticalFpm * kMetresPerFoot / 60.0 * 256.0));
    PokeValue(server_, kVerticalSpeed, 4, static_cast<std::uint32_t>(vs));
    PokeValue(server_, kOnGround, 2, state_.onGround ? 1 : 0);

    lastAltitudeRaw_ = AltitudeRaw(state_.altitudeFt);
    PokeValue(server_, kAltitude, 8, static_cast<std::uint64_t>(lastAltitudeRaw_));
    lastAltitudeFeet_ = static_cast<std::int32_t>(std::lround(state_.altitudeFt));
    PokeValue(server_, kAltitudeFeet, 4, static_cast<std::uint32_t>(lastAltitudeFeet_));
    lastHeadingRaw_ = HeadingRaw(state_.headingDeg);
    PokeValue(server_, kHeading, 4, lastHeadingRaw_);
}

}  // namespace vorn
