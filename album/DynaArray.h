#pragma once
// TDynaArray: a growable array of fixed-size records in one contiguous, zero-filled block.
//
// The block grows and shrinks in steps of GrowBy = 100 records: room for 100 records while Count is 1
// to 100, for 200 while it is 101 to 200, and so on; no block at all while Count is 0. Every operation
// that touches a record makes it current, and the array mirrors the current record's address into a
// variable of its owner (CurrentRef), so the owner reads the record through its own variable.
//
// Records must be trivially copyable: they are moved and swapped byte by byte. The array owns the block
// only; whatever the records point to belongs to the array's user, who releases it before Delete, Clear
// or destruction. A record address, Current included, is valid until the next Append, Delete or Clear.
//
// Allocation failure: the message "Error <n> while trying to allocate <B> bytes of RAM. Not enough
// memory." is shown (n = 1 first block, 2 growing, 3 shrinking) and the operation is abandoned with the
// array unchanged: Append then returns nullptr, Delete keeps its larger block.

#include <cstddef>
#include <cstdint>
#include <type_traits>

class TDynaArray {
 public:
  // Writes Current into the owner's variable at Ref.
  using TMirror = void (*)(void* Ref, void* Current);

  TDynaArray(uint32_t RecordSize, void* CurrentRef, TMirror Mirror);
  ~TDynaArray();
  TDynaArray(const TDynaArray&) = delete;
  TDynaArray& operator=(const TDynaArray&) = delete;

  // Makes record Index current and returns its address. Index must lie in 0 .. Count - 1.
  void* Seek(int32_t Index);
  // Adds one all-zero record at the end, makes it current and returns it; nullptr when out of memory.
  void* Append();
  // Removes record Index (ignored outside 0 .. Count - 1); afterwards no record is current.
  void Delete(int32_t Index);
  // Removes all records and releases the block; afterwards no record is current.
  void Clear();
  // Makes the array NewCount records long in one step, with one block of the size that count needs:
  // records added at the end are all zero, records beyond NewCount are dropped (their user releases
  // what they point to first). Afterwards no record is current. False when the block cannot be had;
  // the array is then unchanged (error 2 growing, 3 shrinking). For changes of many records at once,
  // which Append and Delete would make one block at a time.
  bool SetCount(uint32_t NewCount);
  // Swaps records A and B (ignored when either lies outside); afterwards record B is current.
  void Exchange(int32_t A, int32_t B);
  // The walk: First, then Next until it returns false; each Next makes the next record current.
  void First();
  bool Next();

  uint32_t Count = 0;
  int32_t Cursor = -1;

  void* CurrentRecord() const { return Current; }
  const void* RawData() const { return Data; }
  uint32_t AllocatedBytes() const { return AllocBytes; }
  uint32_t Size() const { return RecordSize; }

  static constexpr uint32_t GrowBy = 100;

  // Allocation of zero-filled blocks; tests replace it to reach the out-of-memory paths.
  using TAllocator = void* (*)(size_t Bytes);
  static void SetAllocator(TAllocator Allocator);

 private:
  bool Grow();
  bool Shrink();
  void SetCurrent(void* Record);
  uint64_t NeededBytes() const;
  uint8_t* At(int32_t Index) const { return Data + static_cast<size_t>(Index) * RecordSize; }

  void* CurrentRef;
  TMirror Mirror;
  void* Current = nullptr;
  uint8_t* Data = nullptr;
  uint32_t AllocBytes = 0;
  uint32_t RecordSize;
};

// The typed face of TDynaArray: records of type T, mirrored into a T* of the owner.
template <class T>
class TDynaArrayOf : public TDynaArray {
  static_assert(std::is_trivially_copyable_v<T>, "records are moved byte by byte");

 public:
  explicit TDynaArrayOf(T** CurrentRef = nullptr)
      : TDynaArray(sizeof(T), CurrentRef, CurrentRef ? &MirrorTo : nullptr) {}

  T* Seek(int32_t Index) { return static_cast<T*>(TDynaArray::Seek(Index)); }
  T* Append() { return static_cast<T*>(TDynaArray::Append()); }
  T* Current() const { return static_cast<T*>(CurrentRecord()); }
  T& operator[](int32_t Index) { return *static_cast<T*>(const_cast<void*>(Item(Index))); }
  const T& operator[](int32_t Index) const { return *static_cast<const T*>(Item(Index)); }

 private:
  const void* Item(int32_t Index) const {
    return static_cast<const uint8_t*>(RawData()) + static_cast<size_t>(Index) * sizeof(T);
  }
  static void MirrorTo(void* Ref, void* Record) { *static_cast<T**>(Ref) = static_cast<T*>(Record); }
};
