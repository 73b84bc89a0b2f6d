#pragma once
// A plausible afternoon of a small wind charger on a 24 V bank: wind with slow swells,
// turbulence and gusts; the rotor follows the wind with some inertia and furls before
// 500 RPM; charging current starts above the cut-in speed and rises with RPM up to the 20 A
// class of the system; battery voltage rises a little with the charging current.
// Deterministic for a given seed.

#include "tools/BoardCalibration.h"
#include "tools/RawReading.h"

#include <random>

namespace tarnby::board {

class ChargingProfile {
public:
    ChargingProfile(unsigned long long seed, BoardCalibration calibration);

    // Advances the simulated time by dtSeconds (> 0) and returns the raw values for a frame.
    RawReading next(double dtSeconds);

    // Physical values of the last reading.
    double windMph() const { return wind_; }
    double rpm() const { return rpm_; }
    double amps() const { return amps_; }
    double volts() const { return volts_; }

private:
    double normal(double sigma);

    BoardCalibration calibration_;
    std::mt19937_64 rng_;
    double time_ = 0;
    double turbulence_ = 0;
    double gust_ = 0;
    double gustTarget_ = 0;
    double nextGustAt_ = 0;
    double wind_ = 0;
    double rpm_ = 0;
    double amps_ = 0;
    double volts_ = 0;
    double temperature_ = 21.5;
};

} // namespace tarnby::board
