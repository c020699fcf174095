#include "ge_tool_list.h"

#include <cstring>

#include "ge_alloc.h"

bool GeToolDynArray::Grow() {
  int64_t wanted = 0;
  if (capacity == 0) {
    wanted = initialCapacity;
  } else if (growStep != 0) {
    wanted = int64_t{capacity} + growStep;
  } else {
    wanted = int64_t{capacity} * 2;
  }
  if (wanted <= capacity || wanted > INT32_MAX) return false;
  void** grown = static_cast<void**>(GeAlloc(static_cast<size_t>(wanted) * sizeof(void*)));
  if (!grown) return false;
  if (count > 0) std::memcpy(grown, items, static_cast<size_t>(count) * sizeof(void*));
  GeFree(items);
  items = grown;
  capacity = static_cast<int32_t>(wanted);
  return true;
}

bool GeToolDynArray::Append(void* item) {
  if (count == capacity && !Grow()) return false;
  items[count++] = item;
  return true;
}

bool GeToolDynArray::Insert(void* item, int32_t index) {
  if (index < 0) index = 0;
  if (index > count) index = count;
  if (count == capacity && !Grow()) return false;
  std::memmove(items + index + 1, items + index, static_cast<size_t>(count - index) * sizeof(void*));
  items[index] = item;
  ++count;
  return true;
}

void GeToolDynArray::FreeAll() {
  GeFree(items);
  items = nullptr;
  count = 0;
  capacity = 0;
}
