#include "app/LoginThrottle.h"

#include <QElapsedTimer>

LoginThrottle::LoginThrottle(Clock clock) : m_clock(std::move(clock)) {
    if (!m_clock) {
        m_clock = [] {
            static QElapsedTimer started = [] { QElapsedTimer t; t.start(); return t; }();
            return started.elapsed();
        };
    }
}

int LoginThrottle::secondsToWait(const QString& operatorNo) const {
    const auto it = m_failures.constFind(operatorNo);
    if (it == m_failures.constEnd() || it->inARow < FreeAttempts) return 0;
    const qint64 remaining = it->lastAt + WaitSeconds * 1000 - m_clock();
    return remaining > 0 ? int((remaining + 999) / 1000) : 0;
}

void LoginThrottle::refused(const QString& operatorNo) {
    Failures& f = m_failures[operatorNo];
    ++f.inARow;
    f.lastAt = m_clock();
}

void LoginThrottle::accepted(const QString& operatorNo) { m_failures.remove(operatorNo); }

LoginThrottle& loginThrottle() {
    static LoginThrottle throttle;
    return throttle;
}
