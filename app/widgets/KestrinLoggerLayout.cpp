// The main window's controls at their design positions (twips), with the design's fonts or
// the nearest fonts the system has.

#include "app/widgets/KestrinLogger.h"
#include "app/widgets/Lamp.h"
#include "app/widgets/ReadingsList.h"
#include "app/widgets/StatusLabel.h"
#include "app/widgets/Twips.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnby {

namespace {
QFont designFont(const QStringList& families, double points, bool bold, bool italic = false) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// Fonts of the design first, then fonts of the same width that Linux has (Liberation has the
// metrics of the Windows core fonts, so captions fit their design boxes).
const QStringList serifFamilies = {QStringLiteral("Palatino Linotype"), QStringLiteral("P052"),
                                   QStringLiteral("Liberation Serif"),
                                   QStringLiteral("DejaVu Serif"), QStringLiteral("serif")};
const QStringList sansFamilies = {QStringLiteral("MS Sans Serif"),
                                  QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                  QStringLiteral("sans-serif")};

template <typename W>
W* make(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
        int height) {
    auto* widget = new W(text, parent);
    widget->setObjectName(QString::fromLatin1(name));
    placeInTwips(widget, left, top, width, height);
    return widget;
}
} // namespace

void KestrinLogger::buildControls() {
    setObjectName(QStringLiteral("KestrinLogger"));
    const double dpi = logicalDpiX();
    setFont(designFont(sansFamilies, 8, false));
    setFixedSize(twipsToPixels(4560, dpi), twipsToPixels(4860, dpi));

    Label11 = make<QLabel>(this, "Label11", QStringLiteral("Tarnby"), 90, 0, 1305, 555);
    Label11->setFont(designFont(serifFamilies, 18, true, true));
    txtMode = make<QLabel>(this, "txtMode", QString(), 2205, 0, 1410, 375);
    txtMode->setFont(designFont(sansFamilies, 13.5, true));
    QPalette red = txtMode->palette();
    red.setColor(QPalette::WindowText, QColor(0xFF, 0, 0));
    txtMode->setPalette(red);
    Label1 = make<QLabel>(this, "Label1", QStringLiteral("battery logger"), 1845, 360, 1815, 195);
    Label1->setFont(
        designFont({QStringLiteral("Small Fonts"), QStringLiteral("DejaVu Sans")}, 6.75, true));

    ListView1 = new ReadingsList(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("Readings"));
    ListView1->setFocusPolicy(Qt::TabFocus);
    placeInTwips(ListView1, 90, 600, 4200, 2685);
    ListView1->setColumnWidths(twipsToPixels(1, dpi), twipsToPixels(1500, dpi),
                               twipsToPixels(2600, dpi));

    BlinkData = make<Lamp>(this, "BlinkData", QString(), 4320, 600, 150, 150);
    BlinkData->setAccessibleName(QStringLiteral("Data lamp"));
    Label14 = make<QLabel>(this, "Label14", QStringLiteral("Logging"), 90, 3390, 1230, 285);
    Label14->setFont(designFont(sansFamilies, 9.75, true));
    StartLogging =
        make<QPushButton>(this, "StartLogging", QStringLiteral("Start"), 2820, 3390, 675, 315);
    StopLogging =
        make<QPushButton>(this, "StopLogging", QStringLiteral("Stop"), 3540, 3390, 675, 315);
    BlinkLog = make<Lamp>(this, "BlinkLog", QString(), 4305, 3390, 150, 150);
    BlinkLog->setAccessibleName(QStringLiteral("Log lamp"));
    Label9 = make<QLabel>(this, "Label9", QStringLiteral("Interval"), 480, 3795, 555, 255);
    delay = make<QLineEdit>(this, "delay", QStringLiteral("60"), 1110, 3705, 495, 315);
    delay->setAccessibleName(QStringLiteral("Interval"));
    Label10 = make<QLabel>(this, "Label10", QStringLiteral("Seconds"), 1650, 3795, 795, 255);
    ShowLogs =
        make<QPushButton>(this, "ShowLogs", QStringLiteral("Show Logs"), 2820, 3750, 1410, 330);
    Setup = make<QPushButton>(this, "Setup", QStringLiteral("Program Setup"), 45, 4170, 1275, 285);
    CalibrateButton = make<QPushButton>(this, "CalibrateButton", QStringLiteral("Calibrate"), 1350,
                                        4170, 1140, 285);
    Exit = make<QPushButton>(this, "Exit", QStringLiteral("Exit"), 3540, 4170, 975, 300);
    Label2 = make<StatusLabel>(this, "Label2", QString(), 120, 4560, 4335, 255);

    for (Lamp* lamp : {BlinkData, BlinkLog}) {
        lamp->setFlat(true);
        lamp->setFocusPolicy(Qt::TabFocus);
    }
    BlinkData->setColour(Qt::white); // white until the first blink-off

    // Decorative lines framing the groups.
    struct LineSpec {
        const char* name;
        int left, top, width, height;
    };
    for (const LineSpec& l :
         {LineSpec{"Line1", 60, 3330, 4440, 15}, LineSpec{"Line2", 60, 4110, 4440, 15},
          LineSpec{"Line3", 60, 4515, 4440, 15}, LineSpec{"Line9", 2745, 3345, 15, 765},
          LineSpec{"Line10", 60, 570, 4440, 15}}) {
        auto* line = new QFrame(this);
        line->setObjectName(QString::fromLatin1(l.name));
        line->setFrameShape(l.width > l.height ? QFrame::HLine : QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        placeInTwips(line, l.left, l.top, l.width, l.height);
    }

    // Tab order of the design.
    QWidget* order[] = {StartLogging, StopLogging, delay,    Exit,  CalibrateButton,
                        ShowLogs,     BlinkData,   BlinkLog, Setup, ListView1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

} // namespace tarnby
