#pragma once
// The serial line to the sensor board: which port and how fast. No parity, 8 data bits and
// 1 stop bit always.

namespace tarnby {

struct LineSettings {
    int portNumber = 0; // COM<N>: 1 and up
    int baudRate = 0;   // bits per second: 1 and up

    bool operator==(const LineSettings&) const = default;
};

} // namespace tarnby
