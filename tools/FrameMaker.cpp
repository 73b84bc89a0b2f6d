#include "tools/FrameMaker.h"

namespace tarnby::board {

namespace {

void tagged(QByteArray& out, const char* tag, const QByteArray& value) {
    out += '<';
    out += tag;
    out += '>';
    out += value;
    out += "</";
    out += tag;
    out += '>';
}

// Plain decimal with optional sign and blanks around; anything else is not a number.
double numberOrZero(const QByteArray& text) {
    bool ok = false;
    const QByteArray trimmed = text.trimmed();
    for (char c : trimmed) {
        if (!(c == '-' || c == '+' || c == '.' || (c >= '0' && c <= '9')))
            return 0;
    }
    const double value = trimmed.toDouble(&ok);
    return ok ? value : 0;
}

} // namespace

QByteArray frameBytes(const RawReading& reading, FrameKind kind) {
    QByteArray out = "[";
    switch (kind) {
    case FrameKind::Good:
        tagged(out, "V", reading.V);
        break;
    case FrameKind::ZeroVolts:
        tagged(out, "V", "0");
        break;
    case FrameKind::LettersForVolts:
        tagged(out, "V", "VOLTS");
        break;
    case FrameKind::ClosingTagFirst:
        out += "</V>" + reading.V + "<V>";
        break;
    case FrameKind::LowerCaseTags:
        out += "<v>" + reading.V + "</v><i>" + reading.I + "</i><r>" + reading.R + "</r><m>" +
               reading.M + "</m><s>" + reading.S + "</s>]";
        return out;
    }
    tagged(out, "I", reading.I);
    tagged(out, "R", reading.R);
    tagged(out, "M", reading.M);
    tagged(out, "S", reading.S);
    out += ']';
    return out;
}

ReceiverView receiverView(const RawReading& reading, FrameKind kind) {
    ReceiverView view;
    if (kind == FrameKind::ClosingTagFirst) {
        view.fate = ReceiverView::Fate::Corrupt;
        return view;
    }
    if (kind == FrameKind::ZeroVolts || kind == FrameKind::LowerCaseTags)
        return view;
    const QByteArray volts = kind == FrameKind::LettersForVolts ? QByteArray("VOLTS") : reading.V;
    if (volts.isEmpty() || volts == "0" || reading.I.isEmpty() || reading.I == "0")
        return view;
    view.fate = ReceiverView::Fate::Accepted;
    view.V = numberOrZero(volts);
    view.I = numberOrZero(reading.I);
    view.R = numberOrZero(reading.R);
    view.M = numberOrZero(reading.M);
    view.S = numberOrZero(reading.S);
    return view;
}

QByteArray lineNoise(std::mt19937_64& rng, int length) {
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray noise;
    noise.reserve(length);
    while (noise.size() < length) {
        const char c = static_cast<char>(byte(rng));
        if (c != '[' && c != ']')
            noise += c;
    }
    return noise;
}

} // namespace tarnby::board
