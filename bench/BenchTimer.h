// Repetition timing with percentiles, and the table the benchmark prints.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

struct BenchResult {
    double p50 = 0;  // milliseconds
    double p99 = 0;
    int reps = 0;
    // The calling thread's processor time, p50: on a busy machine wall time is mostly
    // waiting for a processor, and this shows what the work itself costs here (the
    // PostgreSQL server's share is not in it).
    double cpuP50 = 0;
};

inline double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Times every repetition after `warmUp` untimed rounds.
inline BenchResult measureAfter(int warmUp, int reps, const std::function<void()>& work) {
    for (int i = 0; i < warmUp; ++i) work();
    std::vector<double> ms, cpu;
    ms.reserve(reps);
    cpu.reserve(reps);
    QElapsedTimer t;
    for (int i = 0; i < reps; ++i) {
        const double cpuStart = threadCpuMs();
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        cpu.push_back(threadCpuMs() - cpuStart);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    auto at = [](const std::vector<double>& v, double q) { return v[std::min(v.size() - 1, size_t(q * double(v.size())))]; };
    return {at(ms, 0.50), at(ms, 0.99), reps, at(cpu, 0.50)};
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
        m_out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8  %9\n")
                     .arg(QStringLiteral("operation"), -24).arg(QStringLiteral("reps"), 6).arg(QStringLiteral("p50 ms"), 9)
                     .arg(QStringLiteral("p99 ms"), 9).arg(QStringLiteral("floor p50"), 10).arg(QStringLiteral("ratio"), 6)
                     .arg(QStringLiteral("cpu p50"), 9).arg(QStringLiteral("floor cpu"), 9).arg(QStringLiteral("floor"));
        for (const Row& r : m_rows) {
            m_out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8  %9\n")
                         .arg(r.name, -24).arg(r.real.reps, 6).arg(r.real.p50, 9, 'f', 3).arg(r.real.p99, 9, 'f', 3)
                         .arg(r.floor.p50, 10, 'f', 3).arg(r.floor.p50 > 0 ? r.real.p50 / r.floor.p50 : 0, 6, 'f', 2)
                         .arg(r.real.cpuP50, 9, 'f', 3).arg(r.floor.cpuP50, 9, 'f', 3).arg(r.floorIs);
        }
        m_out.flush();
    }

private:
    struct Row { QString name; BenchResult real; BenchResult floor; QString floorIs; };
    QTextStream& m_out;
    QString m_backend;
    std::vector<Row> m_rows;
};
