#pragma once
// How the simulated sensor board turns physical quantities into the raw numbers it sends.
// The factors are those of samples/settings.cfg, so a program using that file shows the
// physical values the board simulates:
//   V raw = volts × VoltDivider
//   I raw = VoltOffset + amps × AmpDivider
//   R raw = RPM × RPMDivider / 60   (generator pulses per second)
//   S raw = wind speed × WSDivider  (anemometer pulses per second, speed in MPH)

namespace tarnby::board {

struct BoardCalibration {
    double voltDivider = 30;
    double voltOffset = 512;
    double ampDivider = 20;
    double rpmDivider = 12;
    double wsDivider = 2;
};

} // namespace tarnby::board
