// Intrusive doubly linked lists and the growable pointer array on which every
// scene list and the alias registry are built.
#pragma once
#include <cstdint>

// A list node: its only state is the two links. A node that is in no list has
// both links null; destroying a node that is still linked unlinks it first.
class GeToolNode2D {
 public:
  GeToolNode2D() = default;
  GeToolNode2D(const GeToolNode2D&) = delete;
  GeToolNode2D& operator=(const GeToolNode2D&) = delete;
  virtual ~GeToolNode2D() { Unlink(); }

  GeToolNode2D* next = nullptr;
  GeToolNode2D* prev = nullptr;

  bool IsLinked() const { return next != nullptr && prev != nullptr; }
  void Unlink() {
    if (!IsLinked()) return;
    prev->next = next;
    next->prev = prev;
    next = nullptr;
    prev = nullptr;
  }
};

// A list with a head and a tail sentinel. A real node is one whose next is
// non-null; the tail sentinel is the node whose next is null.
class GeToolList2D {
 public:
  GeToolList2D() { Reset(); }
  GeToolList2D(const GeToolList2D&) = delete;
  GeToolList2D& operator=(const GeToolList2D&) = delete;
  // The plain list does not own its nodes; it only detaches them.
  virtual ~GeToolList2D() { DetachAll(); }

  GeToolNode2D* Append(GeToolNode2D* node) { return InsertBefore(node, &tail_); }
  GeToolNode2D* InsertFirst(GeToolNode2D* node) { return InsertAfter(node, &head_); }
  GeToolNode2D* InsertAfter(GeToolNode2D* node, GeToolNode2D* anchor) {
    node->Unlink();
    node->prev = anchor;
    node->next = anchor->next;
    anchor->next->prev = node;
    anchor->next = node;
    return node;
  }
  GeToolNode2D* InsertBefore(GeToolNode2D* node, GeToolNode2D* anchor) {
    return InsertAfter(node, anchor->prev);
  }
  static void Remove(GeToolNode2D* node) { node->Unlink(); }

  GeToolNode2D* GetFirst() const { return Real(head_.next); }
  GeToolNode2D* GetNext(const GeToolNode2D* node) const { return Real(node->next); }
  bool IsEmpty() const { return GetFirst() == nullptr; }
  // Walks the list; callers that need the count repeatedly keep their own.
  int32_t GetCount() const {
    int32_t n = 0;
    for (GeToolNode2D* p = GetFirst(); p; p = GetNext(p)) ++n;
    return n;
  }
  // Destroys every real node through its virtual destructor.
  void FreeAll() {
    GeToolNode2D* p = GetFirst();
    while (p) {
      GeToolNode2D* following = GetNext(p);
      p->Unlink();
      delete p;
      p = following;
    }
    Reset();
  }
  void DetachAll() {
    GeToolNode2D* p = GetFirst();
    while (p) {
      GeToolNode2D* following = GetNext(p);
      p->Unlink();
      p = following;
    }
    Reset();
  }

 private:
  static GeToolNode2D* Real(GeToolNode2D* p) { return (p && p->next) ? p : nullptr; }
  void Reset() {
    head_.next = &tail_;
    head_.prev = nullptr;
    tail_.next = nullptr;
    tail_.prev = &head_;
  }
  // The sentinels never count as linked nodes, so their destructors do nothing.
  struct Sentinel : GeToolNode2D {
    ~Sentinel() override { next = prev = nullptr; }
  };
  Sentinel head_;
  Sentinel tail_;
};

// Typed views over the plain list and node; they add no fields.
template <class T>
class GeTempPublicNode2D : public GeToolNode2D {
 public:
  T* GetNextNode() const { return (next && next->next) ? static_cast<T*>(next) : nullptr; }
};

template <class T>
class GeTempPublicList2D : public GeToolList2D {
 public:
  T* Append(T* node) { GeToolList2D::Append(node); return node; }
  T* InsertFirst(T* node) { GeToolList2D::InsertFirst(node); return node; }
  T* GetFirst() const { return static_cast<T*>(GeToolList2D::GetFirst()); }
  T* GetNext(const T* node) const { return static_cast<T*>(GeToolList2D::GetNext(node)); }
};

// A growable array of pointers that does not own the pointees; its capacity
// doubles as it grows.
class GeToolDynArray {
 public:
  GeToolDynArray() = default;
  GeToolDynArray(const GeToolDynArray&) = delete;
  GeToolDynArray& operator=(const GeToolDynArray&) = delete;
  virtual ~GeToolDynArray() { FreeAll(); }

  bool Append(void* item);
  void FreeAll();
  void* Get(int32_t index) const { return (index >= 0 && index < count) ? items[index] : nullptr; }

  void** items = nullptr;
  int32_t count = 0;
  int32_t capacity = 0;

 private:
  bool Grow();
};

template <class T>
class GeTempDynArray : public GeToolDynArray {
 public:
  T* Get(int32_t index) const { return static_cast<T*>(GeToolDynArray::Get(index)); }
};
