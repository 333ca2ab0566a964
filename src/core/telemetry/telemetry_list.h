#pragma once

#include <QList>

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

namespace dashcard {

// A read-only list of telemetry items that keeps the parse result it points
// into alive. Copying one is cheap (a reference count); a list never changes
// after it was handed out, also while the file is parsed again.
template <typename T>
class TelemetryList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = const T*;
    using reference = const T&;

    const_iterator() = default;
    const_iterator(const T* items, const std::uint32_t* index, std::size_t position)
        : items_(items), index_(index), position_(position) {}
    reference operator*() const { return item(position_); }
    pointer operator->() const { return &item(position_); }
    reference operator[](difference_type n) const { return item(position_ + n); }
    const_iterator& operator++() { ++position_; return *this; }
    const_iterator operator++(int) { auto old = *this; ++position_; return old; }
    const_iterator& operator--() { --position_; return *this; }
    const_iterator operator--(int) { auto old = *this; --position_; return old; }
    const_iterator& operator+=(difference_type n) { position_ += n; return *this; }
    const_iterator& operator-=(difference_type n) { position_ -= n; return *this; }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.position_) - static_cast<difference_type>(b.position_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.position_ == b.position_; }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.position_ <=> b.position_; }

   private:
    const T& item(std::size_t i) const { return index_ != nullptr ? items_[index_[i]] : items_[i]; }

    // Points into the storage itself, so an iterator outlives a temporary list
    // (not the storage, which the list's owner keeps).
    const T* items_ = nullptr;
    const std::uint32_t* index_ = nullptr;
    std::size_t position_ = 0;
  };
  using value_type = T;
  using size_type = std::size_t;
  using iterator = const_iterator;

  TelemetryList() = default;
  // `items` (and `index`, when given: positions into `items`) stay valid as long as `owner` lives.
  TelemetryList(std::shared_ptr<const void> owner, const T* items, std::size_t size,
                const std::uint32_t* index = nullptr)
      : owner_(std::move(owner)), items_(items), index_(index), size_(size) {}

  std::size_t size() const { return size_; }
  qsizetype count() const { return static_cast<qsizetype>(size_); }
  bool empty() const { return size_ == 0; }
  bool isEmpty() const { return size_ == 0; }
  const T& operator[](std::size_t i) const {
    assert(i < size_);
    return index_ != nullptr ? items_[index_[i]] : items_[i];
  }
  const T& at(std::size_t i) const { return (*this)[i]; }
  const T& front() const { return (*this)[0]; }
  const T& back() const { return (*this)[size_ - 1]; }
  const T& first() const { return front(); }
  const T& last() const { return back(); }
  const_iterator begin() const { return const_iterator(items_, index_, 0); }
  const_iterator end() const { return const_iterator(items_, index_, size_); }

  std::vector<T> toVector() const { return std::vector<T>(begin(), end()); }
  QList<T> toList() const { return QList<T>(begin(), end()); }

 private:
  std::shared_ptr<const void> owner_;
  const T* items_ = nullptr;
  const std::uint32_t* index_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace dashcard
