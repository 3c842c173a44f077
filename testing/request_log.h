#pragma once
// The log opacimeter-sim writes with --log: a request a line as "<µs> <code>",
// the time on the simulator's clock; the lines of its replies carry their data
// too and are not requests.
#include <QFile>
#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

namespace kelvaron::testing {

struct LoggedRequest {
    int64_t us = 0;
    int code = 0;
};

// The requests logged in `path` so far, in order; none when it cannot be read.
inline std::vector<LoggedRequest> ReadRequestLog(const QString& path) {
    std::vector<LoggedRequest> requests;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return requests;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields.size() == 2) requests.push_back({fields[0].toLongLong(), fields[1].toInt()});
    }
    return requests;
}

}  // namespace kelvaron::testing
