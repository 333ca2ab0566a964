#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace dashcard {

// What the system knows of the block device behind a mount.
struct DeviceFact {
  // The disk's removable attribute is set, or it sits on a USB or SD/MMC bus.
  bool removable = false;
  // "usb", "mmc" or empty: chooses the volume's icon.
  QString bus;
  // The file-system label; empty when it has none or it is unknown.
  QString label;
};

// The source of device facts; tests give their own.
class DeviceFacts {
 public:
  virtual ~DeviceFacts() = default;
  // Facts of the device named by a mount source (e.g. /dev/sdb1); none when
  // the source is not a block device the system knows.
  virtual std::optional<DeviceFact> factsForDevice(const QString& source) const = 0;

  // The system's facts, read from udev.
  static std::unique_ptr<DeviceFacts> systemFacts();
};

}  // namespace dashcard
