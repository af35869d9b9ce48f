#pragma once
// Tells when serial devices may have come or gone. It only calls onChange (which
// sets the rescan request); the port list is rebuilt by the timer.
// Linux: a libudev monitor of the tty subsystem, its descriptor watched by the
// event loop, plus a watch on the port-alias folder. Windows: the device-change
// window message for USB device interfaces.

#include <functional>
#include <memory>

#include <QObject>

class DeviceChangeWatch : public QObject {
    Q_OBJECT
public:
    explicit DeviceChangeWatch(QObject* parent = nullptr);
    ~DeviceChangeWatch() override;

    // nativeWindow: the window that receives device-change messages (Windows only).
    // False when the device notification could not be set up; a watch that did
    // start (the alias folder) stays active.
    bool start(std::function<void()> onChange, void* nativeWindow);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
