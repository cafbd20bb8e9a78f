#include "sim/aircraft_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fsuipc/offsets_catalogue.h"

namespace vorn {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kKnotInMetresPerSecond = 1852.0 / 3600.0;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerDegreeLatitude = 10001750.0 / 90.0;
constexpr double kGravity = 9.80665;

// Performance of the little aircraft.
constexpr double kTurnRateDegPerSec = 3.0;  // a standard-rate turn
constexpr double kRollRateDegPerSec = 10.0;
constexpr double kVerticalAccelFpmPerSec = 1000.0;
constexpr double kDefaultClimbFpm = 700.0;
constexpr double kAccelKtPerSec = 2.0;
constexpr double kTakeOffAccelKtPerSec = 5.0;  // full power on the runway
constexpr double kDecelKtPerSec = 3.0;
constexpr double kLiftOffKt = 70.0;
constexpr double kMaxAirspeedKt = 250.0;
constexpr double kGearTravelSeconds = 5.0;
constexpr double kFlapsTravelSeconds = 10.0;
constexpr double kIdleN1Percent = 20.0;
constexpr double kIdleBurnLbPerSec = 0.002;  // per engine
constexpr double kFullBurnLbPerSec = 0.012;

// The entry of a name the model uses; a name missing from the catalogue is a
// fault of this file, found by the first model made.
const CatalogueEntry& Entry(std::string_view name) {
    const CatalogueEntry* entry = FindOffset(name);
    if (entry == nullptr || entry->size < 1 || (entry->size > 8 && entry->type != OffsetType::Text))
        throw std::logic_error("aircraft model: no usable catalogue entry " + std::string(name));
    return *entry;
}

// The entries, looked up once.
struct Flight {
    const CatalogueEntry& hour = Entry("ClockHour");
    const CatalogueEntry& minute = Entry("ClockMinute");
    const CatalogueEntry& second = Entry("ClockSecond");
    const CatalogueEntry& pauseControl = Entry("PauseControl");
    const CatalogueEntry& pauseIndicator = Entry("PauseIndicator");
    const CatalogueEntry& simRate = Entry("SimRate");
    const CatalogueEntry& ias = Entry("IndicatedAirspeed");
    const CatalogueEntry& tas = Entry("TrueAirspeed");
    const CatalogueEntry& groundSpeed = Entry("GroundSpeed");
    const CatalogueEntry& verticalSpeed = Entry("VerticalSpeed");
    const CatalogueEntry& onGround = Entry("OnGround");
    const CatalogueEntry& groundAltitude = Entry("GroundAltitude");
    const CatalogueEntry& altitude = Entry("AltitudeMsl");
    const CatalogueEntry& altimeterAltitude = Entry("AltimeterAltitude");
    const CatalogueEntry& altimeterSetting = Entry("AltimeterSetting");
    const CatalogueEntry& heading = Entry("HeadingTrue");
    const CatalogueEntry& pitch = Entry("Pitch");
    const CatalogueEntry& bank = Entry("Bank");
    const CatalogueEntry& latitude = Entry("Latitude");
    const CatalogueEntry& longitude = Entry("Longitude");
    const CatalogueEntry& apMaster = Entry("ApMaster");
    const CatalogueEntry& apHeadingHold = Entry("ApHeadingHold");
    const CatalogueEntry& apHeading = Entry("ApHeading");
    const CatalogueEntry& apAltitudeHold = Entry("ApAltitudeHold");
    const CatalogueEntry& apAltitude = Entry("ApAltitude");
    const CatalogueEntry& apSpeedHold = Entry("ApAirspeedHold");
    const CatalogueEntry& apSpeed = Entry("ApAirspeed");
    const CatalogueEntry& apVerticalSpeed = Entry("ApVerticalSpeed");
    const CatalogueEntry& throttle1 = Entry("Engine1Throttle");
    const CatalogueEntry& throttle2 = Entry("Engine2Throttle");
    const CatalogueEntry& n1First = Entry("Engine1N1");
    const CatalogueEntry& n1Second = Entry("Engine2N1");
    const CatalogueEntry& parkingBrake = Entry("ParkingBrake");
    const CatalogueEntry& gearHandle = Entry("GearHandle");
    const CatalogueEntry& gearNose = Entry("GearNosePosition");
    const CatalogueEntry& gearLeft = Entry("GearLeftPosition");
    const CatalogueEntry& gearRight = Entry("GearRightPosition");
    const CatalogueEntry& flapsControl = Entry("FlapsControl");
    const CatalogueEntry& flapsPosition = Entry("FlapsLeftPosition");
    const CatalogueEntry& fuel = Entry("FuelTotalWeight");
    const CatalogueEntry& grossWeight = Entry("GrossWeight");
};

const Flight& Offsets() {
    static const Flight flight;
    return flight;
}

bool IsSigned(const CatalogueEntry& e) { return e.type == OffsetType::SignedInt || e.type == OffsetType::FixedPoint; }

std::int64_t Raw(const SimServer& server, const CatalogueEntry& e) {
    std::uint8_t bytes[8] = {};
    server.Peek(static_cast<std::uint16_t>(e.offset), bytes, static_cast<std::size_t>(e.size));
    std::uint64_t value = 0;
    for (int i = e.size - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    if (IsSigned(e) && e.size < 8 && (value >> (8 * e.size - 1)) & 1)
        return static_cast<std::int64_t>(value) - (std::int64_t{1} << (8 * e.size));
    return static_cast<std::int64_t>(value);
}

void WriteRaw(SimServer& server, const CatalogueEntry& e, std::int64_t raw) {
    std::uint8_t bytes[8];
    for (int i = 0; i < e.size; ++i) bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(raw) >> (8 * i));
    server.Poke(static_cast<std::uint16_t>(e.offset), bytes, static_cast<std::size_t>(e.size));
}

// The value in the entry's everyday unit.
double Everyday(const SimServer& server, const CatalogueEntry& e) {
    if (e.type == OffsetType::Float64) {
        double value;
        server.Peek(static_cast<std::uint16_t>(e.offset), reinterpret_cast<std::uint8_t*>(&value), sizeof value);
        return value;
    }
    return static_cast<double>(Raw(server, e)) * e.factor;
}

// The raw value of an everyday one, held within what the entry's bytes hold.
std::int64_t RawOf(const CatalogueEntry& e, double value) {
    const int bits = 8 * e.size;
    double low = IsSigned(e) ? -std::ldexp(1.0, bits - 1) : 0.0;
    double high = IsSigned(e) ? std::ldexp(1.0, bits - 1) - 1.0 : std::ldexp(1.0, bits) - 1.0;
    if (bits == 64) {  // the nearest doubles inside the range
        low = std::nextafter(low, 0.0);
        high = std::nextafter(std::ldexp(1.0, 63), 0.0);
    }
    const double raw = std::clamp(std::round(value / e.factor), low, high);
    return IsSigned(e) ? static_cast<std::int64_t>(raw) : static_cast<std::int64_t>(static_cast<std::uint64_t>(raw));
}

std::int64_t WriteEveryday(SimServer& server, const CatalogueEntry& e, double value) {
    if (e.type == OffsetType::Float64) {
        std::uint8_t bytes[8];
        std::memcpy(bytes, &value, sizeof bytes);
        server.Poke(static_cast<std::uint16_t>(e.offset), bytes, sizeof bytes);
        return 0;
    }
    const std::int64_t raw = RawOf(e, value);
    WriteRaw(server, e, raw);
    return raw;
}

void WriteText(SimServer& server, const CatalogueEntry& e, std::string_view text) {
    std::uint8_t bytes[256] = {};
    const std::size_t room = std::min<std::size_t>(static_cast<std::size_t>(e.size), sizeof bytes);
    std::memcpy(bytes, text.data(), std::min(text.size(), room - 1));
    server.Poke(static_cast<std::uint16_t>(e.offset), bytes, room);
}

bool On(const SimServer& server, const CatalogueEntry& e) { return Raw(server, e) != 0; }

double MoveToward(double value, double target, double maxStep) {
    if (value < target) return std::min(value + maxStep, target);
    return std::max(value - maxStep, target);
}

double NormalizeHeading(double deg) {
    deg = std::fmod(deg, 360.0);
    if (deg < 0) deg += 360.0;
    return deg;
}

double NormalizeLongitude(double deg) {
    deg = std::fmod(deg + 180.0, 360.0);
    if (deg < 0) deg += 360.0;
    return deg - 180.0;
}

double TrueAirspeedKt(const AircraftState& s) { return s.airspeedKt * (1.0 + 0.02 * s.altitudeFt / 1000.0); }

}  // namespace

AircraftModel::AircraftModel(SimServer& server, AircraftState start) : server_(server), state_(start) {
    const Flight& f = Offsets();
    state_.headingDeg = NormalizeHeading(state_.headingDeg);
    if (state_.onGround) state_.gearDown = 1.0;
    WriteRaw(server_, f.apMaster, 1);
    WriteRaw(server_, f.apHeadingHold, 1);
    WriteEveryday(server_, f.apHeading, 0.0);  // north
    WriteRaw(server_, f.apAltitudeHold, 1);
    WriteEveryday(server_, f.apAltitude, 5000.0);
    WriteEveryday(server_, f.apVerticalSpeed, 700.0);
    WriteRaw(server_, f.apSpeedHold, 1);
    WriteEveryday(server_, f.apSpeed, 120.0);
    WriteRaw(server_, f.throttle1, 12000);
    WriteRaw(server_, f.throttle2, 12000);
    WriteRaw(server_, f.parkingBrake, 0);
    WriteEveryday(server_, f.gearHandle, state_.gearDown * 100.0);
    WriteEveryday(server_, f.flapsControl, state_.flaps * 100.0);
    WriteRaw(server_, f.pauseControl, state_.paused ? 1 : 0);
    WriteEveryday(server_, f.simRate, 1.0);
    WriteEveryday(server_, f.groundAltitude, 0.0);  // the world is flat, at sea level
    WriteEveryday(server_, f.altimeterSetting, 1013.25);
    // What a cockpit shows before anyone touches it.
    WriteRaw(server_, Entry("Com1Active"), 0x2270);
    WriteRaw(server_, Entry("Com2Active"), 0x2195);
    WriteRaw(server_, Entry("Nav1Active"), 0x1080);
    WriteRaw(server_, Entry("Nav2Active"), 0x1130);
    WriteRaw(server_, Entry("AdfFrequency"), 0x0345);
    WriteRaw(server_, Entry("Transponder"), 0x7000);
    WriteRaw(server_, Entry("Lights"), 0x0013);  // nav, beacon, strobe
    WriteText(server_, Entry("AircraftType"), "Vorn");
    WriteText(server_, Entry("AircraftTitle"), "Vorn Model Aircraft");
    Write();
}

void AircraftModel::TakeOverWrites() {
    const Flight& f = Offsets();
    const std::int64_t altitude = Raw(server_, f.altitude);
    const std::int64_t feet = Raw(server_, f.altimeterAltitude);
    if (altitude != lastAltitudeRaw_) {
        state_.altitudeFt = static_cast<double>(altitude) * f.altitude.factor;
    } else if (feet != lastAltitudeFeet_) {
        state_.altitudeFt = static_cast<double>(feet) * f.altimeterAltitude.factor;
    }
    state_.altitudeFt = std::clamp(state_.altitudeFt, 0.0, 60000.0);
    if (Raw(server_, f.heading) != lastHeadingRaw_) state_.headingDeg = NormalizeHeading(Everyday(server_, f.heading));
    if (Raw(server_, f.ias) != lastAirspeedRaw_)
        state_.airspeedKt = std::clamp(Everyday(server_, f.ias), 0.0, kMaxAirspeedKt);
    if (Raw(server_, f.latitude) != lastLatitudeRaw_)
        state_.latitudeDeg = std::clamp(Everyday(server_, f.latitude), -90.0, 90.0);
    if (Raw(server_, f.longitude) != lastLongitudeRaw_)
        state_.longitudeDeg = NormalizeLongitude(Everyday(server_, f.longitude));
}

void AircraftModel::Advance() {
    const Flight& f = Offsets();
    TakeOverWrites();
    state_.paused = On(server_, f.pauseControl);
    if (!state_.paused) {
        // FSUIPC's rates run from a quarter to 128 times; 0 would stop the clock.
        const double rate = std::clamp(Everyday(server_, f.simRate), 0.25, 128.0);
        Fly(kStepSeconds * rate);
    }
    Write();
}

void AircraftModel::Fly(double dt) {
    const Flight& f = Offsets();
    state_.clockSeconds = std::fmod(state_.clockSeconds + dt, 24 * 3600.0);
    const bool autopilot = On(server_, f.apMaster);

    // Heading: turn the short way toward the bug at a standard rate, banked
    // as a coordinated turn at this speed needs.
    double turn = 0.0;
    if (autopilot && On(server_, f.apHeadingHold) && !state_.onGround) {
        double diff = NormalizeHeading(Everyday(server_, f.apHeading) - state_.headingDeg);
        if (diff > 180.0) diff -= 360.0;
        turn = std::clamp(diff, -kTurnRateDegPerSec * dt, kTurnRateDegPerSec * dt);
        state_.headingDeg = NormalizeHeading(state_.headingDeg + turn);
    }
    const double tasMps = TrueAirspeedKt(state_) * kKnotInMetresPerSecond;
    const double turnRadPerSec = dt > 0.0 ? turn / dt * kPi / 180.0 : 0.0;
    const double bankTarget = std::atan(tasMps * turnRadPerSec / kGravity) * 180.0 / kPi;
    state_.bankDeg = MoveToward(state_.bankDeg, bankTarget, kRollRateDegPerSec * dt);

    // Engines: N1 follows each throttle lever; fuel burns with it.
    const double lever1 = std::clamp(std::fabs(Everyday(server_, f.throttle1)) / 100.0, 0.0, 1.0);
    const double lever2 = std::clamp(std::fabs(Everyday(server_, f.throttle2)) / 100.0, 0.0, 1.0);
    const double burn = 2 * kIdleBurnLbPerSec + (lever1 + lever2) * (kFullBurnLbPerSec - kIdleBurnLbPerSec);
    state_.fuelLb = std::max(0.0, state_.fuelLb - burn * dt);

    // Airspeed: the speed hold, else the throttle; the brake stops it on the ground.
    double targetKt;
    const double throttle = Raw(server_, f.throttle1) < 0 ? 0.0 : lever1;
    if (state_.onGround && On(server_, f.parkingBrake)) {
        targetKt = 0.0;
    } else if (autopilot && On(server_, f.apSpeedHold)) {
        targetKt = Everyday(server_, f.apSpeed);
    } else if (state_.onGround) {
        targetKt = throttle * 160.0;
    } else {
        targetKt = 60.0 + throttle * 140.0;
    }
    targetKt = std::clamp(targetKt, 0.0, kMaxAirspeedKt);
    const double accel = state_.onGround ? kTakeOffAccelKtPerSec : kAccelKtPerSec;
    const double rate = targetKt > state_.airspeedKt ? accel : kDecelKtPerSec;
    state_.airspeedKt = MoveToward(state_.airspeedKt, targetKt, rate * dt);

    // Vertical speed: the altitude hold climbs or descends to its altitude at
    // the set rate and levels off smoothly; without it the set rate is flown.
    const double setFpm = Everyday(server_, f.apVerticalSpeed);
    double targetFpm = setFpm;
    if (autopilot && On(server_, f.apAltitudeHold)) {
        const double targetFt = Everyday(server_, f.apAltitude);
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
    // The nose follows the flight path.
    const double climbMps = state_.verticalFpm * kMetresPerFoot / 60.0;
    const double speedMps = TrueAirspeedKt(state_) * kKnotInMetresPerSecond;
    state_.pitchDeg = state_.onGround || speedMps <= 0.0 ? 0.0 : std::atan2(climbMps, speedMps) * 180.0 / kPi;

    // Position: along the heading at the ground speed (no wind, so the true
    // airspeed).
    const double metres = speedMps * dt;
    const double headingRad = state_.headingDeg * kPi / 180.0;
    state_.latitudeDeg =
        std::clamp(state_.latitudeDeg + metres * std::cos(headingRad) / kMetresPerDegreeLatitude, -89.99, 89.99);
    const double eastScale = kMetresPerDegreeLatitude * std::cos(state_.latitudeDeg * kPi / 180.0);
    state_.longitudeDeg = NormalizeLongitude(state_.longitudeDeg + metres * std::sin(headingRad) / eastScale);

    // Gear and flaps travel toward their controls.
    const double gearTarget = std::clamp(Everyday(server_, f.gearHandle) / 100.0, 0.0, 1.0);
    state_.gearDown = MoveToward(state_.gearDown, gearTarget, dt / kGearTravelSeconds);
    const double flapsTarget = std::clamp(Everyday(server_, f.flapsControl) / 100.0, 0.0, 1.0);
    state_.flaps = MoveToward(state_.flaps, flapsTarget, dt / kFlapsTravelSeconds);
}

void AircraftModel::Write() {
    const Flight& f = Offsets();
    // The steps add tenths that a double does not hold exactly.
    const auto clock = static_cast<long>(std::floor(state_.clockSeconds + 1e-6));
    WriteRaw(server_, f.hour, clock / 3600 % 24);
    WriteRaw(server_, f.minute, clock / 60 % 60);
    WriteRaw(server_, f.second, clock % 60);
    WriteRaw(server_, f.pauseIndicator, state_.paused ? 1 : 0);

    lastAirspeedRaw_ = WriteEveryday(server_, f.ias, state_.airspeedKt);
    const double tasKt = TrueAirspeedKt(state_);
    WriteEveryday(server_, f.tas, tasKt);
    WriteEveryday(server_, f.groundSpeed, tasKt);
    WriteEveryday(server_, f.verticalSpeed, state_.verticalFpm);
    WriteRaw(server_, f.onGround, state_.onGround ? 1 : 0);

    lastAltitudeRaw_ = WriteEveryday(server_, f.altitude, state_.altitudeFt);
    lastAltitudeFeet_ = WriteEveryday(server_, f.altimeterAltitude, state_.altitudeFt);
    lastHeadingRaw_ = WriteEveryday(server_, f.heading, NormalizeHeading(state_.headingDeg));
    // FSUIPC counts nose up and right wing down as negative.
    WriteEveryday(server_, f.pitch, -state_.pitchDeg);
    WriteEveryday(server_, f.bank, -state_.bankDeg);
    lastLatitudeRaw_ = WriteEveryday(server_, f.latitude, state_.latitudeDeg);
    lastLongitudeRaw_ = WriteEveryday(server_, f.longitude, state_.longitudeDeg);

    const double gear = state_.gearDown * 100.0;
    WriteEveryday(server_, f.gearNose, gear);
    WriteEveryday(server_, f.gearLeft, gear);
    WriteEveryday(server_, f.gearRight, gear);
    WriteEveryday(server_, f.flapsPosition, state_.flaps * 100.0);

    const auto n1 = [&](const CatalogueEntry& lever) {
        if (state_.fuelLb <= 0.0) return 0.0;
        const double l = std::clamp(std::fabs(Everyday(server_, lever)) / 100.0, 0.0, 1.0);
        return kIdleN1Percent + (100.0 - kIdleN1Percent) * l;
    };
    WriteEveryday(server_, f.n1First, n1(f.throttle1));
    WriteEveryday(server_, f.n1Second, n1(f.throttle2));
    WriteEveryday(server_, f.fuel, state_.fuelLb);
    WriteEveryday(server_, f.grossWeight, kEmptyWeightLb + state_.fuelLb);
}

}  // namespace vorn
