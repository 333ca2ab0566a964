#include "core/catalogue/device_facts.h"

#include <libudev.h>
#include <sys/stat.h>

#include <cstring>

namespace dashcard {
namespace {

struct UdevDeleter {
  void operator()(udev* handle) const { udev_unref(handle); }
  void operator()(udev_device* device) const { udev_device_unref(device); }
};
using UdevPtr = std::unique_ptr<udev, UdevDeleter>;
using UdevDevicePtr = std::unique_ptr<udev_device, UdevDeleter>;

bool equals(const char* text, const char* expected) { return text != nullptr && std::strcmp(text, expected) == 0; }

class UdevDeviceFacts final : public DeviceFacts {
 public:
  UdevDeviceFacts() : udev_(udev_new()) {}

  std::optional<DeviceFact> factsForDevice(const QString& source) const override {
    struct stat status {};
    if (!udev_ || !source.startsWith(QLatin1Char('/')) || ::stat(source.toLocal8Bit().constData(), &status) != 0 ||
        !S_ISBLK(status.st_mode)) {
      return std::nullopt;
    }
    const UdevDevicePtr device(udev_device_new_from_devnum(udev_.get(), 'b', status.st_rdev));
    if (!device) return std::nullopt;
    DeviceFact fact;
    fact.label = QString::fromUtf8(udev_device_get_property_value(device.get(), "ID_FS_LABEL"));
    // Walk up from the partition: the disk holds "removable", the buses sit above it.
    bool removableAttribute = false;
    for (udev_device* node = device.get(); node != nullptr; node = udev_device_get_parent(node)) {
      const char* subsystem = udev_device_get_subsystem(node);
      if (equals(subsystem, "block") && equals(udev_device_get_sysattr_value(node, "removable"), "1")) {
        removableAttribute = true;
      }
      if (fact.bus.isEmpty() && (equals(subsystem, "usb") || equals(subsystem, "mmc"))) {
        fact.bus = QString::fromLatin1(subsystem);
      }
    }
    if (fact.bus.isEmpty() && equals(udev_device_get_property_value(device.get(), "ID_BUS"), "usb")) {
      fact.bus = QStringLiteral("usb");
    }
    fact.removable = DeviceFact::isRemovableMedium(removableAttribute, fact.bus);
    return fact;
  }

 private:
  UdevPtr udev_;
};

}  // namespace

std::unique_ptr<DeviceFacts> DeviceFacts::systemFacts() { return std::make_unique<UdevDeviceFacts>(); }

}  // namespace dashcard
