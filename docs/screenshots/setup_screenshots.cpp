// Writes pictures of the program setup window and of the calibration window, the latter after
// one frame from a fake sensor board, to <folder>/setup.png and <folder>/calibration.png.
// Run under a display server for the platform's own look, for example:
//   xvfb-run -a build/docs/setup_screenshots docs

#include "config/CalibrationSettings.h"
#include "config/ProgSettings.h"
#include "docs/screenshots/ScreenshotEnvironment.h"
#include "setup/widgets/CalibrationWindow.h"
#include "setup/widgets/SetupWindow.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>

using namespace tarnby;
using namespace Qt::StringLiterals;

namespace {
bool save(QWidget& window, const QString& path) {
    window.show();
    QApplication::processEvents();
    const bool ok = window.grab().save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "cannot write", qPrintable(path));
    return ok;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: setup_screenshots <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    screenshot::ScreenshotEnvironment s;
    const ProgSettings prog{u"1"_s, u"0"_s,   u"0"_s,  u"60"_s, u"1"_s,   u"1"_s,
                            u"1"_s, u"MPH"_s, u"24"_s, u"20"_s, u"4800"_s};
    const CalibrationSettings factors{u"10.2"_s, u"512"_s, u"8.5"_s, u"14"_s, u"2"_s};
    if (!writeProgCfg(s.path(u"prog.cfg"_s), prog).ok ||
        !writeSettingsCfg(s.path(u"settings.cfg"_s), factors).ok) {
        std::fprintf(stderr, "cannot write the settings in %s\n", qPrintable(s.folder.path()));
        return 1;
    }

    SetupWindow setup(s.environment(), nullptr);
    CalibrationWindow calibration(s.environment(), nullptr);
    s.links.back()->deliver("[<V>254.3</V><I>537</I><R>42</R><M>0</M><S>18</S>]\r\n");
    const bool ok =
        save(setup, folder + u"/setup.png"_s) && save(calibration, folder + u"/calibration.png"_s);
    return ok ? 0 : 1;
}
