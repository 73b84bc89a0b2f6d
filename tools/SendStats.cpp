#include "tools/SendStats.h"

#include <QSaveFile>

namespace tarnby::board {

void SendStats::count(const ReceiverView& view) {
    ++frames;
    switch (view.fate) {
    case ReceiverView::Fate::Accepted:
        ++accepted;
        sumV += view.V;
        sumI += view.I;
        sumR += view.R;
        sumM += view.M;
        sumS += view.S;
        break;
    case ReceiverView::Fate::Dropped:
        ++dropped;
        break;
    case ReceiverView::Fate::Corrupt:
        ++corrupt;
        break;
    }
}

bool writeStatsFile(const QString& path, const SendStats& stats) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto line = [&file](const char* key, const QByteArray& value) {
        file.write(QByteArray(key) + '=' + value + '\n');
    };
    const auto number = [](double value) { return QByteArray::number(value, 'g', 17); };
    line("frames", QByteArray::number(stats.frames));
    line("accepted", QByteArray::number(stats.accepted));
    line("dropped", QByteArray::number(stats.dropped));
    line("corrupt", QByteArray::number(stats.corrupt));
    line("sum_V", number(stats.sumV));
    line("sum_I", number(stats.sumI));
    line("sum_R", number(stats.sumR));
    line("sum_M", number(stats.sumM));
    line("sum_S", number(stats.sumS));
    line("noise_bytes", QByteArray::number(stats.noiseBytes));
    line("bytes", QByteArray::number(stats.bytes));
    return file.commit();
}

} // namespace tarnby::board
