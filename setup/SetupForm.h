#pragma once
// What the program setup window shows and saves, apart from its widgets: the option-button
// values, the load step (prog.cfg into the window's values), the checks made before saving and
// the prog.cfg content that Save writes.

#include "config/ProgSettings.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <span>

namespace tarnby {

// The three frames of option buttons; exactly one button of each is selected at any time.
enum class OptionFrame {
    SystemVoltage, // key SV
    MaxSystemAmps, // key MA
    BaudRate       // key BR
};

struct OptionButton {
    const char* name;    // object name, "Option1" ... "Option10"
    const char* caption; // the text beside the button
    int value;           // what is saved and what selects it at load
};

// The buttons of a frame, top to bottom.
std::span<const OptionButton> optionButtons(OptionFrame frame);
// The value of the button selected when the stored value matches none (24 V, 20 A, 4800).
int defaultOptionValue(OptionFrame frame);
// The value of the button a stored text selects. The text is compared as a number (SV, MA),
// or first converted to a whole number with halves to even (BR); a text that is not a number
// or matches no button selects the frame's default value.
int selectedOptionValue(OptionFrame frame, QStringView stored);

// The window's values. Check boxes hold 0 (off), 1 (on) or 2 (greyed).
struct SetupForm {
    QString PortNumber;
    int Savehtml = 0;
    int SaveExcel = 0;
    QString LogDelay;
    int LogOn = 0;
    int DisplayRPM = 0;
    int DisplayWS = 0;
    QString WSUnits;
    int systemVoltage = 24; // the selected option values
    int maxAmps = 20;
    int baudRate = 4800;

    bool operator==(const SetupForm&) const = default;
};

// Text boxes whose key is missing or unreadable start as follows: the port number empty (the
// user has to choose one; Save refuses an empty port), the logging interval "60" (the main
// window's own starting interval), the units empty. Check boxes start off.
inline constexpr QStringView MissingPortNumber = u"";
inline constexpr QStringView MissingLogDelay = u"60";
inline constexpr QStringView MissingWSUnits = u"";

struct SetupLoading {
    SetupForm form;
    // Empty when every key was found and usable; otherwise the message for the user, naming
    // prog.cfg and each problem.
    QString problemMessage;
};

// The load step. Problems reported: the file missing, unreadable or empty; a key missing or
// with its closing tag first; a check-box value other than 0, 1 or 2; an SV or MA that is not a
// number; a BR that is not a whole number; a text holding "<" or a line break (a closing tag on
// the next line), which is shown but cannot be saved. A stored SV, MA or BR that is a number but
// matches no button is not a problem: the frame's default value is selected, as the window always
// has.
SetupLoading loadSetupForm(const ProgConfig& prog);

// The prog.cfg content Save writes: every text as typed, the check boxes and option values in
// plain decimal digits.
ProgSettings progSettingsFor(const SetupForm& form);

inline constexpr QStringView BadPortNumberMessage =
    u"There is a bad number for Port Number. Must be between 1 and 8 ( 1 or 2 most common )";

// Why Save must write nothing, as the message to show, or empty text when Save may write. The
// port number must read as a number (0, 12 or 2.5 pass); no text box may hold "<" or a line
// break, which would spoil the keys after it when the file is next read, nor a character
// outside Latin-1, which the 8-bit file cannot hold.
QString setupSaveRefusal(const SetupForm& form);

// Why `text` cannot be saved into `fileName`, or empty text when it can: a "<", a line break or a
// character outside Latin-1. `what` names the box for the user ("The \"Wind Speed Units\" box"),
// `saveCaption` the button to press again.
QString configTextRefusal(const QString& text, const QString& what, const QString& fileName,
                          const QString& saveCaption);

// The text shown beside the port number: the device the number names ("COM3: /dev/ttyS2"),
// that 0 means no port, or that the text names no port. `deviceFor` resolves a port number of
// 1 or more to its device description.
QString portDeviceHint(QStringView portText, const std::function<QString(int)>& deviceFor);

// A file that could not be replaced: names the file and says the old one is kept.
QString saveFailureMessage(const QString& path, const FileOutcome& outcome);

} // namespace tarnby
