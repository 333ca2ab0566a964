#pragma once

#include <QList>

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <type_traits>
#include <vector>

namespace dashcard {

// How a list reads its items: kept as they are, handed out by reference.
// A packed kind of item names its stored record, the shared facts it is
// unpacked with, and returns values.
template <typename T>
struct KeptAsIs {
  using Stored = T;
  using Context = void;
  using Reference = const T&;
  static const T& read(const T& item, const void* /*context*/) { return item; }
};

// A read-only list of telemetry items that keeps the parse result it points
// into alive. Copying one is cheap (a reference count); a list never changes
// after it was handed out, also while the file is parsed again.
template <typename T, typename Access = KeptAsIs<T>>
class TelemetryList {
  using Stored = typename Access::Stored;
  using Context = typename Access::Context;

 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using reference = typename Access::Reference;
    // An unpacked item lives in the proxy as long as the expression does.
    struct ArrowProxy {
      T item;
      const T* operator->() const { return &item; }
    };
    using pointer = std::conditional_t<std::is_reference_v<reference>, const T*, ArrowProxy>;

    const_iterator() = default;
    const_iterator(const Stored* items, const std::uint32_t* index, const Context* context, std::size_t position)
        : items_(items), index_(index), context_(context), position_(position) {}
    reference operator*() const { return item(position_); }
    pointer operator->() const {
      if constexpr (std::is_reference_v<reference>) {
        return &item(position_);
      } else {
        return ArrowProxy{item(position_)};
      }
    }
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
    reference item(std::size_t i) const {
      return Access::read(index_ != nullptr ? items_[index_[i]] : items_[i], context_);
    }

    // Points into the storage itself, so an iterator outlives a temporary list
    // (not the storage, which the list's owner keeps).
    const Stored* items_ = nullptr;
    const std::uint32_t* index_ = nullptr;
    const Context* context_ = nullptr;
    std::size_t position_ = 0;
  };
  using value_type = T;
  using size_type = std::size_t;
  using iterator = const_iterator;

  TelemetryList() = default;
  // `items` (and `index`, when given: positions into `items`; and `context`)
  // stay valid as long as `owner` lives.
  TelemetryList(std::shared_ptr<const void> owner, const Stored* items, std::size_t size,
                const std::uint32_t* index = nullptr, const Context* context = nullptr)
      : owner_(std::move(owner)), items_(items), index_(index), context_(context), size_(size) {}

  std::size_t size() const { return size_; }
  qsizetype count() const { return static_cast<qsizetype>(size_); }
  bool empty() const { return size_ == 0; }
  bool isEmpty() const { return size_ == 0; }
  using reference = typename const_iterator::reference;
  reference operator[](std::size_t i) const {
    assert(i < size_);
    return begin()[static_cast<std::ptrdiff_t>(i)];
  }
  reference at(std::size_t i) const { return (*this)[i]; }
  reference front() const { return (*this)[0]; }
  reference back() const { return (*this)[size_ - 1]; }
  reference first() const { return front(); }
  reference last() const { return back(); }
  const_iterator begin() const { return const_iterator(items_, index_, context_, 0); }
  const_iterator end() const { return const_iterator(items_, index_, context_, size_); }

  std::vector<T> toVector() const { return std::vector<T>(begin(), end()); }
  QList<T> toList() const { return QList<T>(begin(), end()); }

 private:
  std::shared_ptr<const void> owner_;
  const Stored* items_ = nullptr;
  const std::uint32_t* index_ = nullptr;
  const Context* context_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace dashcard
