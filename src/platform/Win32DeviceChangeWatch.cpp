// The device-change window message, for USB device interfaces. Built only on Windows.
#ifdef _WIN32

#include "platform/DeviceChangeWatch.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <windows.h>
#include <dbt.h>

namespace {

const GUID kUsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

class DeviceChangeFilter : public QAbstractNativeEventFilter {
public:
    explicit DeviceChangeFilter(std::function<void()>& onChange) : onChange_(onChange) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type == "windows_generic_MSG" && static_cast<MSG*>(message)->message == WM_DEVICECHANGE)
            onChange_();
        return false;   // the window's normal processing goes on
    }

private:
    std::function<void()>& onChange_;
};

} // namespace

struct DeviceChangeWatch::Impl {
    std::function<void()> onChange;
    std::unique_ptr<DeviceChangeFilter> filter;
    HDEVNOTIFY notification = nullptr;
    ~Impl()
    {
        if (filter)
            QCoreApplication::instance()->removeNativeEventFilter(filter.get());
        if (notification)
            UnregisterDeviceNotification(notification);
    }
};

DeviceChangeWatch::DeviceChangeWatch(QObject* parent) : QObject(parent), impl_(std::make_unique<Impl>()) {}

DeviceChangeWatch::~DeviceChangeWatch() = default;

bool DeviceChangeWatch::start(std::function<void()> onChange, void* nativeWindow)
{
    impl_->onChange = std::move(onChange);
    impl_->filter = std::make_unique<DeviceChangeFilter>(impl_->onChange);
    QCoreApplication::instance()->installNativeEventFilter(impl_->filter.get());

    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kUsbDeviceInterface;
    impl_->notification = RegisterDeviceNotificationW(static_cast<HWND>(nativeWindow), &filter,
                                                      DEVICE_NOTIFY_WINDOW_HANDLE);
    return impl_->notification != nullptr;
}

#endif
