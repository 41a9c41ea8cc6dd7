// Repetition timing with percentiles, and the table the benchmark prints.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

struct BenchResult {
    double p50 = 0;  // milliseconds
    double p99 = 0;
    int reps = 0;
};

// Times every repetition after `warmUp` untimed rounds.
inline BenchResult measureAfter(int warmUp, int reps, const std::function<void()>& work) {
    for (int i = 0; i < warmUp; ++i) work();
    std::vector<double> ms;
    ms.reserve(reps);
    QElapsedTimer t;
    for (int i = 0; i < reps; ++i) {
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size())))]; };
    return {at(0.50), at(0.99), reps};
}

// Warms caches and prepared statements first.
inline BenchResult measure(int reps, const std::function<void()>& work) {
    return measureAfter(std::min(20, reps), reps, work);
}

// For work of seconds: no warm-up rounds.
inline BenchResult measureCold(int reps, const std::function<void()>& work) { return measureAfter(0, reps, work); }

class BenchTable {
public:
    BenchTable(QTextStream& out, QString backend) : m_out(out), m_backend(std::move(backend)) {}
    void add(const QString& name, const BenchResult& real, const BenchResult& floor, const QString& floorIs) {
        m_rows.push_back({name, real, floor, floorIs});
    }
    void print() {
        m_out << "\n" << m_backend << "\n";
        m_out << QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
                     .arg(QStringLiteral("operation"), -24).arg(QStringLiteral("reps"), 6).arg(QStringLiteral("p50 ms"), 9)
                     .arg(QStringLiteral("p99 ms"), 9).arg(QStringLiteral("floor p50"), 10).arg(QStringLiteral("ratio"), 6)
                     .arg(QStringLiteral("floor"));
        for (const Row& r : m_rows) {
            m_out << QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
                         .arg(r.name, -24).arg(r.real.reps, 6).arg(r.real.p50, 9, 'f', 3).arg(r.real.p99, 9, 'f', 3)
                         .arg(r.floor.p50, 10, 'f', 3).arg(r.floor.p50 > 0 ? r.real.p50 / r.floor.p50 : 0, 6, 'f', 2)
                         .arg(r.floorIs);
        }
        m_out.flush();
    }

private:
    struct Row { QString name; BenchResult real; BenchResult floor; QString floorIs; };
    QTextStream& m_out;
    QString m_backend;
    std::vector<Row> m_rows;
};
