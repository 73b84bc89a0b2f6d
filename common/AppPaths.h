#pragma once
// Every file of an installation lives in its application folder: the folder that holds the
// executable, with symbolic links resolved (a copy of the binary elsewhere is another
// installation). File names are the folder followed by a literal beginning with "/".

#include <QString>

namespace tarnby {

class AppPaths {
public:
    explicit AppPaths(QString folder) : folder_(std::move(folder)) {}
    // The folder of the running executable.
    static AppPaths ofRunningProgram();

    const QString& folder() const { return folder_; }
    QString progCfg() const { return folder_ + QStringLiteral("/prog.cfg"); }
    QString settingsCfg() const { return folder_ + QStringLiteral("/settings.cfg"); }
    QString mqttCfg() const { return folder_ + QStringLiteral("/mqtt.cfg"); }
    QString logsFolder() const { return folder_ + QStringLiteral("/logs"); }
    QString inLogs(const QString& fileName) const {
        return folder_ + QStringLiteral("/logs/") + fileName;
    }
    QString wattHourFile() const { return folder_ + QStringLiteral("/logs/Whours.txt"); }
    // Where port N is linked on Linux: <folder>/ports/COM<N>.
    QString portLink(int portNumber) const {
        return folder_ + QStringLiteral("/ports/COM") + QString::number(portNumber);
    }

private:
    QString folder_;
};

} // namespace tarnby
