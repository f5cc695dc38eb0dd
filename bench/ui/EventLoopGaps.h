#pragma once

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <string>

// The longest the window's event loop waits between two turns while something
// goes on: a timer asks for a turn every 5 ms from Start to Stop. The goal of the
// window is no gap of 50 ms or more.
class EventLoopGaps {
public:
    static constexpr int kTurnMs = 5;
    static constexpr qint64 kGoalMs = 50;

    EventLoopGaps() {
        turns_.setInterval(kTurnMs);
        QObject::connect(&turns_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void Start() {
        clock_.start();
        last_ = 0;
        turns_.start();
    }
    void Stop() { turns_.stop(); }
    qint64 Elapsed() const { return clock_.elapsed(); }
    // Over every Start and Stop so far.
    qint64 Longest() const { return longest_; }

    // The longest gap as the benchmark's counter, and its error past the goal.
    void Report(benchmark::State& state) const {
        state.counters["longest_gap_ms"] = static_cast<double>(longest_);
        if (longest_ >= kGoalMs) {
            const std::string why =
                "the window waited " + std::to_string(longest_) + " ms between turns (goal: under 50)";
            state.SkipWithError(why.c_str());
        }
    }

private:
    QTimer turns_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};
