#include "album/DynaArray.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Messages.h"

namespace {

void* ZeroFilled(size_t Bytes) { return std::calloc(1, Bytes); }

// Replaced only by tests; read by every thread that grows an array (the PDF writer's tables too).
std::atomic<TDynaArray::TAllocator> GAllocator{&ZeroFilled};

void ReportAllocationFailure(int Error, uint64_t Bytes) {
  MessageBox().Show("Error " + std::to_string(Error) + " while trying to allocate " + std::to_string(Bytes) +
                        " bytes of RAM. Not enough memory.",
                    std::string(), TMsgIcon::Error, TMsgButtons::Ok);
}

// A block size that does not fit the 32-bit bookkeeping is treated like a failed allocation.
void* Allocate(uint64_t Bytes) {
  if (Bytes > UINT32_MAX) return nullptr;
  return GAllocator.load()(static_cast<size_t>(Bytes));
}

}  // namespace

void TDynaArray::SetAllocator(TAllocator Allocator) { GAllocator = Allocator ? Allocator : &ZeroFilled; }

TDynaArray::TDynaArray(uint32_t RecordSize, void* CurrentRef, TMirror Mirror)
    : CurrentRef(CurrentRef), Mirror(Mirror), RecordSize(RecordSize) {}

TDynaArray::~TDynaArray() {
  // The owner's variable is left alone: the owner may already be half destroyed.
  std::free(Data);
}

void TDynaArray::SetCurrent(void* Record) {
  Current = Record;
  if (CurrentRef && Mirror) Mirror(CurrentRef, Record);
}

uint64_t TDynaArray::NeededBytes() const {
  return (static_cast<uint64_t>(Count - 1) / GrowBy + 1) * RecordSize * GrowBy;
}

void* TDynaArray::Seek(int32_t Index) {
  Cursor = Index;
  SetCurrent(At(Index));
  return Current;
}

bool TDynaArray::Grow() {
  uint64_t bytes = NeededBytes();
  if (bytes == AllocBytes && Data) return true;
  const bool first = Count == 1 || !Data;
  void* block = Allocate(bytes);
  if (!block) {
    ReportAllocationFailure(first ? 1 : 2, bytes);
    return false;
  }
  if (!first) {
    std::memcpy(block, Data, AllocBytes);
    std::free(Data);
  }
  Data = static_cast<uint8_t*>(block);
  AllocBytes = static_cast<uint32_t>(bytes);
  return true;
}

void* TDynaArray::Append() {
  ++Count;
  const uint32_t before = AllocBytes;
  uint8_t* oldData = Data;
  if (!Grow()) {
    --Count;
    return nullptr;
  }
  // A block that stayed may hold the bytes of a deleted record in the new slot.
  if (Data == oldData && AllocBytes == before) std::memset(At(Count - 1), 0, RecordSize);
  return Seek(static_cast<int32_t>(Count - 1));
}

bool TDynaArray::Shrink() {
  if (Count == 0) {
    std::free(Data);
    Data = nullptr;
    AllocBytes = 0;
    return true;
  }
  uint64_t bytes = NeededBytes();
  if (bytes == AllocBytes) return true;
  void* block = Allocate(bytes);
  if (!block) {
    // Keep the larger block: every remaining record is still in it.
    ReportAllocationFailure(3, bytes);
    return false;
  }
  std::memcpy(block, Data, bytes);
  std::free(Data);
  Data = static_cast<uint8_t*>(block);
  AllocBytes = static_cast<uint32_t>(bytes);
  return true;
}

bool TDynaArray::SetCount(uint32_t NewCount) {
  if (NewCount == Count) return true;
  if (NewCount == 0) {
    Clear();
    return true;
  }
  const uint32_t oldCount = Count;
  Count = NewCount;
  const uint64_t bytes = NeededBytes();
  if (bytes != AllocBytes || !Data) {
    void* block = Allocate(bytes);
    if (!block) {
      Count = oldCount;
      ReportAllocationFailure(NewCount > oldCount ? 2 : 3, bytes);
      return false;
    }
    if (Data) std::memcpy(block, Data, std::min<uint64_t>(bytes, AllocBytes));
    std::free(Data);
    Data = static_cast<uint8_t*>(block);
    AllocBytes = static_cast<uint32_t>(bytes);
  }
  // Slots the block kept may hold the bytes of records deleted before.
  if (NewCount > oldCount)
    std::memset(At(static_cast<int32_t>(oldCount)), 0, size_t{NewCount - oldCount} * RecordSize);
  Cursor = -1;
  SetCurrent(nullptr);
  return true;
}

void TDynaArray::Delete(int32_t Index) {
  if (Index < 0 || static_cast<uint32_t>(Index) >= Count) return;
  for (uint32_t i = static_cast<uint32_t>(Index); i + 1 < Count; ++i)
    std::memcpy(At(static_cast<int32_t>(i)), At(static_cast<int32_t>(i + 1)), RecordSize);
  --Count;
  Shrink();
  Cursor = -1;
  SetCurrent(nullptr);
}

void TDynaArray::Clear() {
  Count = 0;
  std::free(Data);
  Data = nullptr;
  Cursor = -1;
  AllocBytes = 0;
  SetCurrent(nullptr);
}

void TDynaArray::Exchange(int32_t A, int32_t B) {
  if (A < 0 || B < 0 || static_cast<uint32_t>(A) >= Count || static_cast<uint32_t>(B) >= Count) return;
  // memmove: A and B may be the same record.
  uint8_t stackBuffer[256];
  uint8_t* buffer =
      RecordSize <= sizeof(stackBuffer) ? stackBuffer : static_cast<uint8_t*>(std::malloc(RecordSize));
  if (!buffer) return;
  std::memcpy(buffer, Seek(A), RecordSize);
  std::memmove(Seek(A), Seek(B), RecordSize);
  std::memcpy(Seek(B), buffer, RecordSize);
  if (buffer != stackBuffer) std::free(buffer);
}

void TDynaArray::First() {
  if (Count > 0) Seek(0);
}

bool TDynaArray::Next() {
  if (Count == 0 || Cursor < 0 || static_cast<uint32_t>(Cursor) > Count - 1) return false;
  Seek(Cursor);
  ++Cursor;
  return true;
}
