#pragma once
// Working vectors handed from one contig to the next instead of being freed and allocated again.
//
// A run keeps every contig in memory and releases each one after its analysis, so the allocator's
// free lists grow with the data set; every large block requested per contig then costs more. The
// decoded arrays of a contig are therefore taken from a pool of vectors of their type and given
// back (emptied, capacity kept) when their owner goes. The program is single-threaded.
#include <utility>
#include <vector>

namespace mrv {

template <typename T>
class ReusedVector {
 public:
  ReusedVector() : _vector(take()) {}
  ~ReusedVector() { give(std::move(_vector)); }
  ReusedVector(const ReusedVector&) = delete;
  ReusedVector& operator=(const ReusedVector&) = delete;

  std::vector<T>& operator*() { return _vector; }
  const std::vector<T>& operator*() const { return _vector; }
  std::vector<T>* operator->() { return &_vector; }
  const std::vector<T>* operator->() const { return &_vector; }

 private:
  // At most a few vectors of each type are alive at once; a few more are kept for the next contig.
  static std::vector<std::vector<T> >& pool() {
    static std::vector<std::vector<T> > vectors;
    return vectors;
  }
  static constexpr size_t kKept = 8;
  // Reserves the pool's places here, where failing may throw, so that giving back never allocates.
  static std::vector<T> take() {
    std::vector<std::vector<T> >& vectors = pool();
    if (vectors.capacity() < kKept) vectors.reserve(kKept);
    if (vectors.empty()) return std::vector<T>();
    std::vector<T> v = std::move(vectors.back());
    vectors.pop_back();
    return v;
  }
  static void give(std::vector<T>&& v) noexcept {
    std::vector<std::vector<T> >& vectors = pool();
    if (vectors.size() >= vectors.capacity()) return;  // freed as usual
    v.clear();
    vectors.push_back(std::move(v));
  }

  std::vector<T> _vector;
};

}  // namespace mrv
