#pragma once
// Where "today" comes from. Punch file names carry one digit of the year, so reading them
// depends on the current date; tests put a fixed date in place of the system's.

#include <QDate>

namespace zentar {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

class SystemClock final : public Clock {
public:
    QDate today() const override { return QDate::currentDate(); }
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDate day) : day_(day) {}
    QDate today() const override { return day_; }
    void set(QDate day) { day_ = day; }

private:
    QDate day_;
};

// The clock used when a caller names none.
inline const Clock& systemClock()
{
    static const SystemClock clock;
    return clock;
}

}  // namespace zentar
