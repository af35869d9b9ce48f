#include "platform/DeviceChangeWatch.h"

#include <filesystem>

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QString>
#include <libudev.h>

#include "platform/PortTable.h"

struct DeviceChangeWatch::Impl {
    std::function<void()> onChange;
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QFileSystemWatcher> aliases;

    ~Impl()
    {
        notifier.reset();
        if (monitor)
            udev_monitor_unref(monitor);
        if (context)
            udev_unref(context);
    }

    bool startUdev(QObject* owner)
    {
        context = udev_new();
        if (!context)
            return false;
        monitor = udev_monitor_new_from_netlink(context, "udev");
        if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor) < 0)
            return false;
        const int fd = udev_monitor_get_fd(monitor);
        if (fd < 0)
            return false;
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read, owner);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, owner, [this] {
            // Drain the event; which device it was does not matter.
            if (udev_device* device = udev_monitor_receive_device(monitor))
                udev_device_unref(device);
            onChange();
        });
        return true;
    }

    void watchAliasFolder(QObject* owner)
    {
        const std::string folder = PortAliasFolder();
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        aliases = std::make_unique<QFileSystemWatcher>();
        aliases->addPath(QString::fromStdString(folder));
        QObject::connect(aliases.get(), &QFileSystemWatcher::directoryChanged, owner, [this] { onChange(); });
    }
};

DeviceChangeWatch::DeviceChangeWatch(QObject* parent) : QObject(parent), impl_(std::make_unique<Impl>()) {}

DeviceChangeWatch::~DeviceChangeWatch() = default;

bool DeviceChangeWatch::start(std::function<void()> onChange, void*)
{
    impl_->onChange = std::move(onChange);
    impl_->watchAliasFolder(this);
    return impl_->startUdev(this);
}
