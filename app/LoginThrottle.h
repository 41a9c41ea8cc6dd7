// Slows password guessing at the till: after a few refusals in a row for one operator
// number, each further attempt for that number waits a few seconds after the last refusal.
// Kept per typed number, known or not, so the wait tells nothing about which numbers exist;
// it lasts for the life of the process, which is the life of the till's session.
#pragma once

#include <QHash>
#include <QString>
#include <functional>

class LoginThrottle {
public:
    static constexpr int FreeAttempts = 3;
    static constexpr int WaitSeconds = 5;
    using Clock = std::function<qint64()>;  // milliseconds on a clock that never goes back

    explicit LoginThrottle(Clock clock = {});

    // Seconds (rounded up) before an attempt for this number may be checked; 0 = now.
    int secondsToWait(const QString& operatorNo) const;
    void refused(const QString& operatorNo);
    void accepted(const QString& operatorNo);
    void clear() { m_failures.clear(); }

private:
    struct Failures {
        int inARow = 0;
        qint64 lastAt = 0;
    };
    Clock m_clock;
    QHash<QString, Failures> m_failures;
};

// The one throttle of the process: login and re-login share it.
LoginThrottle& loginThrottle();
