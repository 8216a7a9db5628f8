#pragma once
// What the start window needs of a family window: the port field and showing it.
class SensorWindow {
public:
    virtual ~SensorWindow() = default;
    virtual void setPortNumber(int com) = 0;
    virtual int portNumber() const = 0;
    virtual void showSensorWindow() = 0; // show, raise and activate
};
