#include "setup/SetupForm.h"

#include "common/NumberText.h"

#include <algorithm>
#include <array>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<OptionButton, 3> SystemVoltageButtons = {{
    {"Option1", "12", 12},
    {"Option2", "24", 24},
    {"Option3", "48", 48},
}};
constexpr std::array<OptionButton, 3> MaxSystemAmpsButtons = {{
    {"Option4", "10", 10},
    {"Option5", "20", 20},
    {"Option6", "50", 50},
}};
// Option10 stands for 57600 and is captioned with that rate, so the user can match the board.
constexpr std::array<OptionButton, 4> BaudRateButtons = {{
    {"Option7", "2400", 2400},
    {"Option8", "4800", 4800},
    {"Option9", "9600", 9600},
    {"Option10", "57600", 57600},
}};

// The load step's judgements, noting each problem for one message.
struct FormReading {
    QStringList problems;

    // A check box: the stored value must be exactly 0, 1 or 2.
    int checkValue(const ConfigNumber<double>& value) {
        if (!value.taken()) {
            problems << value.problemText();
            return 0;
        }
        const std::optional<double>& number = value.number;
        if (!number || (*number != 0 && *number != 1 && *number != 2)) {
            problems << describeProblem(value.key, value.text, ValueProblem::NotACheckValue);
            return 0;
        }
        return int(*number);
    }

    // A text box: what was found, or the starting text when the key could not be taken.
    QString text(const ConfigText& value, QStringView missing) {
        if (!value.taken()) {
            problems << value.problemText();
            return missing.toString();
        }
        // Shown as found, but Save will refuse it until it is corrected; a line break cannot be
        // seen in the box, so say so now.
        if (!isSafeConfigText(value.text))
            problems << describeProblem(value.key, value.text, ValueProblem::UnsafeText);
        return value.text;
    }

    // An option frame's stored text, its problem noted.
    const QString& stored(const ConfigText& value) {
        if (value.problem != ValueProblem::None)
            problems << value.problemText();
        return value.text;
    }
};

} // namespace

std::span<const OptionButton> optionButtons(OptionFrame frame) {
    switch (frame) {
    case OptionFrame::SystemVoltage:
        return SystemVoltageButtons;
    case OptionFrame::MaxSystemAmps:
        return MaxSystemAmpsButtons;
    case OptionFrame::BaudRate:
        return BaudRateButtons;
    }
    return {};
}

int defaultOptionValue(OptionFrame frame) {
    switch (frame) {
    case OptionFrame::SystemVoltage:
        return 24;
    case OptionFrame::MaxSystemAmps:
        return 20;
    case OptionFrame::BaudRate:
        return 4800;
    }
    return 0;
}

int selectedOptionValue(OptionFrame frame, QStringView stored) {
    std::optional<double> number;
    if (frame == OptionFrame::BaudRate) {
        if (const auto whole = readRoundedWholeNumber(stored))
            number = *whole;
    } else {
        number = readNumber(stored);
    }
    if (number) {
        for (const OptionButton& button : optionButtons(frame)) {
            if (*number == button.value)
                return button.value;
        }
    }
    return defaultOptionValue(frame);
}

SetupLoading loadSetupForm(const ProgConfig& prog) {
    SetupLoading loading;
    SetupForm& form = loading.form;
    FormReading reading;
    form.PortNumber = reading.text(prog.Port, MissingPortNumber);
    form.Savehtml = reading.checkValue(prog.Savehtml);
    form.SaveExcel = reading.checkValue(prog.SaveExcel);
    form.LogDelay = reading.text(prog.LogDelay, MissingLogDelay);
    form.LogOn = reading.checkValue(prog.LogOn);
    form.DisplayRPM = reading.checkValue(prog.DisplayRPM);
    form.DisplayWS = reading.checkValue(prog.DisplayWS);
    form.WSUnits = reading.text(prog.WSUnits, MissingWSUnits);
    form.systemVoltage = selectedOptionValue(OptionFrame::SystemVoltage, reading.stored(prog.SV));
    form.maxAmps = selectedOptionValue(OptionFrame::MaxSystemAmps, reading.stored(prog.MA));
    form.baudRate = selectedOptionValue(OptionFrame::BaudRate, reading.stored(prog.BR));
    loading.problemMessage = prog.problemMessage(
        reading.problems, u"The window shows what could be used, with starting values for the "
                          "rest. Check every field and press \"Save Setings\" to store a "
                          "complete file."_s);
    return loading;
}

ProgSettings progSettingsFor(const SetupForm& form) {
    ProgSettings settings;
    settings.Port = form.PortNumber;
    settings.Savehtml = QString::number(form.Savehtml);
    settings.SaveExcel = QString::number(form.SaveExcel);
    settings.LogDelay = form.LogDelay;
    settings.LogOn = QString::number(form.LogOn);
    settings.DisplayRPM = QString::number(form.DisplayRPM);
    settings.DisplayWS = QString::number(form.DisplayWS);
    settings.WSUnits = form.WSUnits;
    settings.SV = QString::number(form.systemVoltage);
    settings.MA = QString::number(form.maxAmps);
    settings.BR = QString::number(form.baudRate);
    return settings;
}

QString configTextRefusal(const QString& text, const QString& what, const QString& fileName,
                          const QString& saveCaption) {
    if (!isSafeConfigText(text))
        return u"%1 holds a \"<\" or a line break, which %2 cannot store: it would spoil "
               "the settings after it. Remove it and press \"%3\" again. Nothing was saved."_s.arg(
                   what, fileName, saveCaption);
    const auto wide =
        std::find_if(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
    if (wide == text.end())
        return {};
    const QString shown = wide->isSurrogate() ? text.mid(wide - text.begin(), 2) : QString(*wide);
    return u"%1 holds \"%2\", which %3 cannot store: the file holds only Latin-1 characters "
           "(the letters of Western European languages, digits and signs such as \u00B0 or "
           "\u00B5). Change it and press \"%4\" again. Nothing was saved."_s.arg(
               what, shown, fileName, saveCaption);
}

QString setupSaveRefusal(const SetupForm& form) {
    if (!readsAsNumber(form.PortNumber))
        return BadPortNumberMessage.toString();
    // A port number that reads as a number holds only blanks, a sign, digits and a point.
    const std::array<std::pair<const QString*, QString>, 2> boxes = {{
        {&form.LogDelay, u"The \"Default Logging Interval\" box"_s},
        {&form.WSUnits, u"The \"Wind Speed Units\" box"_s},
    }};
    for (const auto& [text, name] : boxes) {
        if (QString refusal = configTextRefusal(*text, name, u"prog.cfg"_s, u"Save Setings"_s);
            !refusal.isEmpty())
            return refusal;
    }
    return {};
}

QString portDeviceHint(QStringView portText, const std::function<QString(int)>& deviceFor) {
    const auto number = readRoundedWholeNumber(portText);
    if (!number)
        return u"not a port number"_s;
    if (*number == 0)
        return u"0: no port, the logger runs without the sensor board"_s;
    if (*number < 0)
        return u"not a port: port numbers start at 1"_s;
    return u"COM%1: %2"_s.arg(*number).arg(deviceFor(*number));
}

QString saveFailureMessage(const QString& path, const FileOutcome& outcome) {
    return u"%1 could not be saved (%2).\n\nThe previous file is unchanged and this window stays "
           "open with everything as typed. Make the folder writable or free some space, then "
           "save again."_s.arg(path, outcome.error.isEmpty() ? u"unknown error"_s : outcome.error);
}

} // namespace tarnby
