// The main window's fixed layout: every control at its place in twips, with the Windows fonts
// the layout was drawn for, or the nearest fonts of the same metrics that the system has.

#include "app/widgets/Lamp.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/ReadingsList.h"
#include "app/widgets/Twips.h"
#include "common/widgets/NamedWidget.h"
#include "common/widgets/Palette.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnby {

namespace {
QFont windowFont(const QStringList& families, double points, bool bold, bool italic = false) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// The Windows fonts first, then fonts of the same width that Linux has (Liberation has the
// metrics of the Windows core fonts, so captions fit their boxes).
const QStringList serifFamilies = {QStringLiteral("Palatino Linotype"), QStringLiteral("P052"),
                                   QStringLiteral("Liberation Serif"),
                                   QStringLiteral("DejaVu Serif"), QStringLiteral("serif")};
const QStringList sansFamilies = {QStringLiteral("MS Sans Serif"),
                                  QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                  QStringLiteral("sans-serif")};

// A named control with a text, at left, top, width, height in twips.
template <typename W>
W* placed(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
          int height) {
    auto* widget = makeNamed<W>(parent, name, text);
    placeInTwips(widget, left, top, width, height);
    return widget;
}
} // namespace

void MainWindow::buildControls() {
    setObjectName(QStringLiteral("KestrinLogger"));
    const double dpi = logicalDpiX();
    setFont(windowFont(sansFamilies, 8, false));
    setFixedSize(twipsToPixels(4560, dpi), twipsToPixels(4860, dpi));

    auto* title = placed<QLabel>(this, "Label11", QStringLiteral("Tarnby"), 90, 0, 1305, 555);
    title->setFont(windowFont(serifFamilies, 18, true, true));
    modeLabel_ = placed<QLabel>(this, "txtMode", QString(), 2205, 0, 1410, 375);
    modeLabel_->setFont(windowFont(sansFamilies, 13.5, true));
    QPalette modeColours = modeLabel_->palette();
    modeColours.setColor(QPalette::WindowText, palette::modeText);
    modeLabel_->setPalette(modeColours);
    auto* subtitle =
        placed<QLabel>(this, "Label1", QStringLiteral("battery logger"), 1845, 360, 1815, 195);
    subtitle->setFont(
        windowFont({QStringLiteral("Small Fonts"), QStringLiteral("DejaVu Sans")}, 6.75, true));

    readingsList_ = makeNamed<ReadingsList>(this, "ListView1");
    readingsList_->setAccessibleName(QStringLiteral("Readings"));
    readingsList_->setFocusPolicy(Qt::TabFocus);
    placeInTwips(readingsList_, 90, 600, 4200, 2685);
    readingsList_->setColumnWidths(twipsToPixels(1, dpi), twipsToPixels(1500, dpi),
                                   twipsToPixels(2600, dpi));

    dataLamp_ = placed<Lamp>(this, "BlinkData", QString(), 4320, 600, 150, 150);
    dataLamp_->setAccessibleName(QStringLiteral("Data lamp"));
    publishingLamp_ = placed<Lamp>(this, "PublishingLamp", QString(), 4320, 360, 150, 150);
    publishingLamp_->hide(); // until publishing is on
    auto* loggingCaption =
        placed<QLabel>(this, "Label14", QStringLiteral("Logging"), 90, 3390, 1230, 285);
    loggingCaption->setFont(windowFont(sansFamilies, 9.75, true));
    startButton_ =
        placed<QPushButton>(this, "StartLogging", QStringLiteral("Start"), 2820, 3390, 675, 315);
    stopButton_ =
        placed<QPushButton>(this, "StopLogging", QStringLiteral("Stop"), 3540, 3390, 675, 315);
    logLamp_ = placed<Lamp>(this, "BlinkLog", QString(), 4305, 3390, 150, 150);
    logLamp_->setAccessibleName(QStringLiteral("Log lamp"));
    placed<QLabel>(this, "Label9", QStringLiteral("Interval"), 480, 3795, 555, 255);
    intervalBox_ = placed<QLineEdit>(this, "delay", QStringLiteral("60"), 1110, 3705, 495, 315);
    intervalBox_->setAccessibleName(QStringLiteral("Interval"));
    placed<QLabel>(this, "Label10", QStringLiteral("Seconds"), 1650, 3795, 795, 255);
    showLogsButton_ =
        placed<QPushButton>(this, "ShowLogs", QStringLiteral("Show Logs"), 2820, 3750, 1410, 330);
    setupButton_ =
        placed<QPushButton>(this, "Setup", QStringLiteral("Program Setup"), 45, 4170, 1275, 285);
    calibrateButton_ = placed<QPushButton>(this, "CalibrateButton", QStringLiteral("Calibrate"),
                                           1350, 4170, 1140, 285);
    exitButton_ = placed<QPushButton>(this, "Exit", QStringLiteral("Exit"), 3540, 4170, 975, 300);
    statusLine_ = placed<QLabel>(this, "Label2", QString(), 120, 4560, 4335, 255);
    statusLine_->setTextFormat(Qt::PlainText);

    for (Lamp* lamp : {dataLamp_, logLamp_, publishingLamp_}) {
        lamp->setFlat(true);
        lamp->setFocusPolicy(Qt::TabFocus);
    }
    dataLamp_->setColour(palette::lampBeforeFirstBlink);

    // Decorative lines framing the groups.
    struct LinePlace {
        const char* name;
        int left, top, width, height;
    };
    for (const LinePlace& l :
         {LinePlace{"Line1", 60, 3330, 4440, 15}, LinePlace{"Line2", 60, 4110, 4440, 15},
          LinePlace{"Line3", 60, 4515, 4440, 15}, LinePlace{"Line9", 2745, 3345, 15, 765},
          LinePlace{"Line10", 60, 570, 4440, 15}}) {
        auto* line = makeNamed<QFrame>(this, l.name);
        line->setFrameShape(l.width > l.height ? QFrame::HLine : QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        placeInTwips(line, l.left, l.top, l.width, l.height);
    }

    // Tab order: the logging controls first, then Exit, Calibrate, Show Logs, the lamps, Program
    // Setup and the list.
    QWidget* order[] = {startButton_,     stopButton_,     intervalBox_, exitButton_,
                        calibrateButton_, showLogsButton_, dataLamp_,    logLamp_,
                        publishingLamp_,  setupButton_,    readingsList_};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

} // namespace tarnby
