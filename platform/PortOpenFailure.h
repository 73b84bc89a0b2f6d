#pragma once
// Why a serial device did not open, in the user's words, from what the system reported. Apart
// from the port itself, so that every answer can be checked without a device (and as any user).

#include <QString>

namespace tarnby {

struct PortOpenFailure {
    enum class Refusal {
        NoSuchDevice,
        InUse,            // another program has it open
        PermissionOrLock, // a permission problem, or a lock file in the way (one code for both)
        Other
    };
    Refusal refusal = Refusal::Other;
    QString systemText;         // the system's own words
    bool deviceWritable = true; // this user may read and write the device itself
    QString deviceGroup;        // the group that owns the device; empty when unknown
};

// "no such device"; "in use by another program"; for a device this user may not write, the
// group to join and how ("dialout" when the group is unknown); for a lock on a device the user
// may write (a stale lock file, or another program's), "in use by another program" with the
// system's words; "cannot be opened" with the system's words otherwise.
QString portOpenFailureReason(const PortOpenFailure& failure);

} // namespace tarnby
