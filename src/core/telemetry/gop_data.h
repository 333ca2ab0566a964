#pragma once

#include "core/telemetry/car_info.h"
#include "core/telemetry/custom_location.h"
#include "core/telemetry/drive_support_data.h"
#include "core/telemetry/motion_data.h"
#include "core/telemetry/telemetry_list.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace dashcard {

struct TelemetryStore;

// One sample group: the fix of one position sentence and the G-sensor,
// drive-support and vehicle-interface samples that follow it.
//
// A value: a group read from an NMEAData shares that parse result (cheap to
// copy, never changes underneath); changing a copy gives it its own data.
class GOPData {
 public:
  // An empty group: placeholder location, no samples, not valid.
  GOPData();
  GOPData(std::shared_ptr<const TelemetryStore> store, std::uint32_t index);

  // The group's fix, or the placeholder when its position sentence built none.
  CustomLocation location() const;
  void setLocation(const CustomLocation& location);
  TelemetryList<MotionData> motions() const;
  TelemetryList<DriveSupportData> driveSupportInfos() const;
  TelemetryList<CarInfo> carInfos() const;
  QString userID() const;
  void setUserID(const QString& userID);
  // True when the group's position sentence has status "A".
  bool isValid() const;
  void setIsValid(bool valid);

  void appendMotion(const MotionData& motion);
  void appendDriveSupportInfo(const DriveSupportData& record);
  void appendCarInfo(const CarInfo& info);

 private:
  TelemetryStore& detach();

  std::shared_ptr<const TelemetryStore> store_;
  std::uint32_t index_ = 0;
};

// The groups of one parse result, in file order; items are made on access.
class GOPList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = GOPData;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = GOPData;

    const_iterator() = default;
    const_iterator(const std::shared_ptr<const TelemetryStore>* store, std::size_t position)
        : store_(store), position_(position) {}
    GOPData operator*() const { return GOPData(*store_, static_cast<std::uint32_t>(position_)); }
    GOPData operator[](difference_type n) const { return GOPData(*store_, static_cast<std::uint32_t>(position_ + n)); }
    const_iterator& operator++() { ++position_; return *this; }
    const_iterator operator++(int) { auto old = *this; ++position_; return old; }
    const_iterator& operator--() { --position_; return *this; }
    const_iterator operator--(int) { auto old = *this; --position_; return old; }
    const_iterator& operator+=(difference_type n) { position_ += n; return *this; }
    const_iterator& operator-=(difference_type n) { position_ -= n; return *this; }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.position_) - static_cast<difference_type>(b.position_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.position_ == b.position_; }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.position_ <=> b.position_; }

   private:
    const std::shared_ptr<const TelemetryStore>* store_ = nullptr;
    std::size_t position_ = 0;
  };
  using value_type = GOPData;
  using size_type = std::size_t;
  using iterator = const_iterator;

  GOPList() = default;
  explicit GOPList(std::shared_ptr<const TelemetryStore> store);

  std::size_t size() const { return size_; }
  qsizetype count() const { return static_cast<qsizetype>(size_); }
  bool empty() const { return size_ == 0; }
  bool isEmpty() const { return size_ == 0; }
  GOPData operator[](std::size_t i) const { return GOPData(store_, static_cast<std::uint32_t>(i)); }
  GOPData at(std::size_t i) const { return (*this)[i]; }
  GOPData front() const { return (*this)[0]; }
  GOPData back() const { return (*this)[size_ - 1]; }
  GOPData first() const { return front(); }
  GOPData last() const { return back(); }
  // Iterators refer to this list object: keep it alive while iterating.
  const_iterator begin() const { return const_iterator(&store_, 0); }
  const_iterator end() const { return const_iterator(&store_, size_); }

 private:
  std::shared_ptr<const TelemetryStore> store_;
  std::size_t size_ = 0;
};

}  // namespace dashcard
