#include "ge_tool_list.h"

#include <cstring>

#include "ge_alloc.h"

bool GeToolDynArray::Grow() {
  const int64_t wanted = capacity == 0 ? 1 : int64_t{capacity} * 2;
  if (wanted > INT32_MAX) return false;
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

void GeToolDynArray::FreeAll() {
  GeFree(items);
  items = nullptr;
  count = 0;
  capacity = 0;
}
