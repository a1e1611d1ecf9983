// Timing shared by the benchmarks, and the figures they hand to bench/run_scale.sh.

#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

struct Timing
{
    double median = 0;
    double min = 0;
    double max = 0;
};

inline Timing summarize(std::vector<double> ms)
{
    if (ms.empty())
        return {};
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    return {n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2, ms.front(), ms.back()};
}

// Runs `prepare` untimed (when given), then `work` timed, `runs` times; in ms.
inline Timing measure(int runs, const std::function<void()> &work,
                      const std::function<void()> &prepare = {})
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return summarize(ms);
}

// Appends "name=value" to the file named by $TABEL_BENCH_FIGURES when it is set, so a script
// can gather a run's figures while what the benchmark prints stays as it was.
inline void figure(const QString &name, double value)
{
    const QString path = qEnvironmentVariable("TABEL_BENCH_FIGURES");
    if (path.isEmpty())
        return;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(QStringLiteral("%1=%2\n").arg(name).arg(value, 0, 'f', 4).toUtf8());
}

} // namespace bench
