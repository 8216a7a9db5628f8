#pragma once
// What core operations need of a progress display: the bar and the cancel flag.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void reset() = 0;
    virtual void advance(int by) = 0;
    virtual bool stopRequested() const = 0;
};
