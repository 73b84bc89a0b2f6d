#include "tools/ChargingProfile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarnby::board {

namespace {

constexpr double kMeanWind = 13.0;   // MPH
constexpr double kSwellPeriod = 180; // s
constexpr double kSwell = 4.0;       // MPH
constexpr double kTurbulenceTau = 3; // s
constexpr double kTurbulence = 1.5;  // MPH, standard deviation
constexpr double kGustEvery = 20;    // s, mean time between gusts
constexpr double kGustDecay = 6;     // s
constexpr double kRotorTau = 4;      // s
constexpr double kCutInRpm = 140;    // charging starts here
constexpr double kAmpsPerRpm = 0.07;
constexpr double kMaxAmps = 20;
constexpr double kFurlRpm = 480;
constexpr double kRestVolts = 24.6;
constexpr double kVoltsPerAmp = 0.04;

QByteArray whole(double value) {
    return QByteArray::number(static_cast<long long>(std::llround(value)));
}

} // namespace

ChargingProfile::ChargingProfile(unsigned long long seed, BoardCalibration calibration)
    : calibration_(calibration), rng_(seed) {
    std::exponential_distribution<double> wait(1.0 / kGustEvery);
    nextGustAt_ = wait(rng_);
    wind_ = kMeanWind;
    rpm_ = 26 * (kMeanWind - 4);
}

double ChargingProfile::normal(double sigma) {
    std::normal_distribution<double> d(0.0, sigma);
    return d(rng_);
}

RawReading ChargingProfile::next(double dtSeconds) {
    const double dt = std::clamp(dtSeconds, 0.001, 10.0);
    time_ += dt;

    // Turbulence: an Ornstein-Uhlenbeck process, so it has memory of a few seconds.
    const double keep = std::exp(-dt / kTurbulenceTau);
    turbulence_ = turbulence_ * keep + normal(kTurbulence * std::sqrt(1 - keep * keep));

    // Gusts arrive at random, rise within about a second and die away.
    if (time_ >= nextGustAt_) {
        std::uniform_real_distribution<double> strength(4, 12);
        gustTarget_ = strength(rng_);
        std::exponential_distribution<double> wait(1.0 / kGustEvery);
        nextGustAt_ = time_ + 2 + wait(rng_);
    }
    gust_ += (gustTarget_ - gust_) * std::min(1.0, dt / 0.8);
    gustTarget_ *= std::exp(-dt / kGustDecay);

    const double swell = kSwell * std::sin(2 * std::numbers::pi * time_ / kSwellPeriod);
    wind_ = std::max(0.0, kMeanWind + swell + turbulence_ + gust_);

    // The rotor follows the wind with inertia and furls before it overspeeds.
    const double target = wind_ < 6 ? 8 * wind_ : std::min(kFurlRpm, 26 * (wind_ - 4));
    rpm_ += (target - rpm_) * std::min(1.0, dt / kRotorTau);
    rpm_ = std::clamp(rpm_, 0.0, kFurlRpm);

    amps_ = std::clamp((rpm_ - kCutInRpm) * kAmpsPerRpm, 0.0, kMaxAmps);
    volts_ = kRestVolts + kVoltsPerAmp * amps_ + 0.2 * (1 - std::exp(-time_ / 1800)) + normal(0.01);
    temperature_ += normal(0.02) * std::sqrt(dt);
    temperature_ = std::clamp(temperature_, 15.0, 30.0);

    RawReading raw;
    raw.V = whole(volts_ * calibration_.voltDivider);
    raw.I = whole(calibration_.voltOffset + amps_ * calibration_.ampDivider + normal(0.6));
    raw.R = whole(rpm_ * calibration_.rpmDivider / 60);
    raw.M = whole(temperature_ * 10); // board temperature in tenths of a degree
    raw.S = whole(wind_ * calibration_.wsDivider);
    return raw;
}

} // namespace tarnby::board
