#pragma once
// What zylctl wants of a progress display during a search: no bar, only the stop flag, read
// between ports, so Ctrl+C ends a search over COM 1..19 at the next port.
#include "Progress.h"

#include <functional>
#include <utility>

class StopProgress : public Progress {
public:
    explicit StopProgress(std::function<bool()> stop) : m_stop(std::move(stop)) {}
    void setMaximum(int) override {}
    void reset() override {}
    void advance(int) override {}
    bool stopRequested() const override { return m_stop && m_stop(); }

private:
    std::function<bool()> m_stop;
};
