#pragma once
// Working vectors of one run, handed from contig to contig instead of being freed and allocated again.
//
// A run keeps every contig in memory and releases each one after its analysis, so the allocator's
// free lists grow with the data set and every large block requested per contig costs more. The
// decoded arrays of a contig are therefore leased from the run's workspace and given back (emptied,
// capacity kept) when their owner goes. Without a workspace a lease is a vector of its own.
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

namespace mrv {

class Workspace {
  template <typename T>
  class Pool {
   public:
    // Reserves the pool's places here, where failing may throw, so that giving back never allocates.
    std::vector<T> take() {
      if (_kept.capacity() < kKept) _kept.reserve(kKept);
      if (_kept.empty()) return std::vector<T>();
      std::vector<T> v = std::move(_kept.back());
      _kept.pop_back();
      return v;
    }
    void give(std::vector<T>&& v) noexcept {
      if (_kept.size() >= _kept.capacity()) return;  // freed as usual
      v.clear();
      _kept.push_back(std::move(v));
    }

   private:
    // At most a few vectors of each type are leased at once; a few more wait for the next contig.
    static constexpr size_t kKept = 8;
    std::vector<std::vector<T> > _kept;
  };

 public:
  Workspace() = default;
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // A vector leased from a workspace (or owned, with none) until the lease goes; the workspace must
  // outlive it.
  template <typename T>
  class Lease {
   public:
    explicit Lease(Workspace* workspace) : _pool(workspace ? &std::get<Pool<T> >(workspace->_pools) : nullptr) {
      if (_pool) _vector = _pool->take();
    }
    ~Lease() {
      if (_pool) _pool->give(std::move(_vector));
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    std::vector<T>& operator*() { return _vector; }
    const std::vector<T>& operator*() const { return _vector; }

   private:
    Pool<T>* _pool;
    std::vector<T> _vector;
  };

 private:
  std::tuple<Pool<int>, Pool<const int*>, Pool<char>, Pool<int8_t>, Pool<uint8_t> > _pools;
};

}  // namespace mrv
