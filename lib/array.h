// Typed tables with inclusive bounds per dimension, stored row-major (last index
// fastest) and zero-filled whenever they are sized. The storage is one block, so a
// whole table moves to or from a file in one transfer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace rl {

[[noreturn]] void fail_allocation(std::size_t bytes);

template <class T>
class Array {
public:
  Array() = default;
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;
  Array(Array&& o) noexcept { swap(o); }
  Array& operator=(Array&& o) noexcept { release(); swap(o); return *this; }
  ~Array() { release(); }

  // Sizing allocates anew and fills every element with zero bytes.
  void dim(int64_t lo1, int64_t hi1) { set_bounds(1, lo1, hi1, 0, 0, 0, 0); }
  void dim(int64_t lo1, int64_t hi1, int64_t lo2, int64_t hi2) {
    set_bounds(2, lo1, hi1, lo2, hi2, 0, 0);
  }
  void dim(int64_t lo1, int64_t hi1, int64_t lo2, int64_t hi2, int64_t lo3, int64_t hi3) {
    set_bounds(3, lo1, hi1, lo2, hi2, lo3, hi3);
  }

  // Keeps the first n elements of a one-dimensional table (content kept).
  void trim(int64_t n) {
    if (n < 0) n = 0;
    if (n >= count_) return;
    T* p = nullptr;
    if (n > 0) {
      p = static_cast<T*>(std::malloc(static_cast<std::size_t>(n) * sizeof(T)));
      if (!p) fail_allocation(static_cast<std::size_t>(n) * sizeof(T));
      std::memcpy(p, data_, static_cast<std::size_t>(n) * sizeof(T));
    }
    std::free(data_);
    data_ = p;
    count_ = n;
    hi_[0] = lo_[0] + n - 1;
  }

  void release() {
    std::free(data_);
    data_ = nullptr;
    count_ = 0;
    dims_ = 0;
  }

  T& operator()(int64_t i) { return data_[i - lo_[0]]; }
  const T& operator()(int64_t i) const { return data_[i - lo_[0]]; }
  T& operator()(int64_t i, int64_t j) { return data_[(i - lo_[0]) * n_[1] + (j - lo_[1])]; }
  const T& operator()(int64_t i, int64_t j) const {
    return data_[(i - lo_[0]) * n_[1] + (j - lo_[1])];
  }
  T& operator()(int64_t i, int64_t j, int64_t k) {
    return data_[((i - lo_[0]) * n_[1] + (j - lo_[1])) * n_[2] + (k - lo_[2])];
  }
  const T& operator()(int64_t i, int64_t j, int64_t k) const {
    return data_[((i - lo_[0]) * n_[1] + (j - lo_[1])) * n_[2] + (k - lo_[2])];
  }

  // Whether the index lies inside the bounds of the first dimension.
  bool holds(int64_t i) const { return dims_ >= 1 && i >= lo_[0] && i <= hi_[0]; }

  T* data() { return data_; }
  const T* data() const { return data_; }
  int64_t count() const { return count_; }
  std::size_t bytes() const { return static_cast<std::size_t>(count_) * sizeof(T); }
  int dims() const { return dims_; }
  int64_t lower(int d = 0) const { return lo_[d]; }
  int64_t upper(int d = 0) const { return hi_[d]; }
  int64_t extent(int d = 0) const { return n_[d]; }

private:
  void swap(Array& o) noexcept {
    std::swap(data_, o.data_);
    std::swap(count_, o.count_);
    std::swap(dims_, o.dims_);
    for (int d = 0; d < 3; ++d) {
      std::swap(lo_[d], o.lo_[d]);
      std::swap(hi_[d], o.hi_[d]);
      std::swap(n_[d], o.n_[d]);
    }
  }

  void set_bounds(int dims, int64_t l1, int64_t h1, int64_t l2, int64_t h2, int64_t l3,
                  int64_t h3) {
    release();
    dims_ = dims;
    lo_[0] = l1; hi_[0] = h1;
    lo_[1] = l2; hi_[1] = h2;
    lo_[2] = l3; hi_[2] = h3;
    count_ = 1;
    for (int d = 0; d < 3; ++d) {
      n_[d] = d < dims ? (hi_[d] >= lo_[d] ? hi_[d] - lo_[d] + 1 : 0) : 1;
      count_ *= n_[d];
    }
    if (count_ > 0) {
      // calloc hands out zero pages lazily, which keeps sizing of big tables cheap.
      data_ = static_cast<T*>(std::calloc(static_cast<std::size_t>(count_), sizeof(T)));
      if (!data_) fail_allocation(static_cast<std::size_t>(count_) * sizeof(T));
    }
  }

  T* data_ = nullptr;
  int64_t count_ = 0;
  int dims_ = 0;
  int64_t lo_[3] = {0, 0, 0};
  int64_t hi_[3] = {-1, 0, 0};
  int64_t n_[3] = {0, 1, 1};
};

}  // namespace rl
