#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace dashcard {

// What the system knows of the block device behind a mount.
struct DeviceFact {
  // The medium comes out of its drive (see isRemovableMedium).
  bool removable = false;
  // "usb", "mmc" or empty: chooses the volume's icon.
  QString bus;
  // The file-system label; empty when it has none or it is unknown.
  QString label;

  // A card in a reader or a stick says so by its disk's removable
  // attribute; an SD/MMC card is the disk itself and comes out whole. A
  // hard disk on USB is fixed, whatever its bus.
  static bool isRemovableMedium(bool removableAttribute, const QString& bus) {
    return removableAttribute || bus == QLatin1String("mmc");
  }
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
