// The host's intrusive reference count and its smart pointer.
//
// Every use of a member through a CQEL_SmartPtr is guarded: a pointer that
// holds nothing throws a new CQEL_NullReferenceException, naming the class
// whose object was missing, with this header as its source and, as its source
// line, the number that tells which operation failed:
//   189  member access (->, *), naming the pointer's own class;
//   206  viewing the object as one of its bases (As<Base>()), naming the base;
//   223  converting to a pointer of a base class, naming the pointer's own class.
#pragma once
#include <cstddef>
#include <sstream>
#include <type_traits>
#include <utility>

#include "qel_Exceptions.h"
#include "qel_export.h"

// The source text that null-reference exceptions of this header carry.
#define QEL_SMARTPOINTER_SOURCE "src/host/qel_SmartPointer.h"
enum : int {
  QEL_SMARTPOINTER_LINE_MEMBER_ACCESS = 189,
  QEL_SMARTPOINTER_LINE_VIEW_AS_BASE = 206,
  QEL_SMARTPOINTER_LINE_CONVERT_TO_BASE = 223,
};

// Base of every host object: the object lives while references to it exist
// and deletes itself when the last one goes.
class QEL_HOST_API CQEL_BaseRefCount {
 public:
  void AddReference();
  // Deletes the object when this was the last reference.
  void RemoveReference();
  long GetReferenceCount() const;

 protected:
  CQEL_BaseRefCount();
  virtual ~CQEL_BaseRefCount();
  CQEL_BaseRefCount(const CQEL_BaseRefCount&) = delete;
  CQEL_BaseRefCount& operator=(const CQEL_BaseRefCount&) = delete;

 private:
  long m_referenceCount;
};

// Throws, by pointer, a null-reference exception for `className` found by the
// smart pointer operation at `line`.
[[noreturn]] inline void QEL_ThrowNullReference(const char* className, int line) {
  CQEL_NullReferenceException* exception = new CQEL_NullReferenceException(className);
  exception->Source(QEL_SMARTPOINTER_SOURCE);
  std::ostringstream lineText;
  lineText << line;
  exception->SourceLine(lineText.str());
  throw exception;
}

template <class T>
class CQEL_SmartPtr {
 public:
  typedef T element_type;

  CQEL_SmartPtr() noexcept = default;
  CQEL_SmartPtr(std::nullptr_t) noexcept {}  // NOLINT: a null pointer converts
  // Takes a reference on `object` (which may be null).
  explicit CQEL_SmartPtr(T* object) : m_p(object) {
    if (m_p) m_p->AddReference();
  }
  CQEL_SmartPtr(const CQEL_SmartPtr& other) : m_p(other.m_p) {
    if (m_p) m_p->AddReference();
  }
  CQEL_SmartPtr(CQEL_SmartPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }

  // Conversion to a pointer of a base class; guarded (line 223).
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>>>
  CQEL_SmartPtr(const CQEL_SmartPtr<U>& other)  // NOLINT: converts like a raw pointer
      : m_p(ConvertFrom(other.Get())) {
    m_p->AddReference();
  }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>>>
  CQEL_SmartPtr(CQEL_SmartPtr<U>&& other)  // NOLINT
      : m_p(ConvertFrom(other.Get())) {
    other.Detach();
  }

  ~CQEL_SmartPtr() { Reset(); }

  CQEL_SmartPtr& operator=(const CQEL_SmartPtr& other) {
    CQEL_SmartPtr(other).Swap(*this);
    return *this;
  }
  CQEL_SmartPtr& operator=(CQEL_SmartPtr&& other) noexcept {
    CQEL_SmartPtr(std::move(other)).Swap(*this);
    return *this;
  }
  CQEL_SmartPtr& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }

  // Guarded member access (line 189).
  T* operator->() const {
    if (!m_p) QEL_ThrowNullReference(T::GetStaticClassName(), QEL_SMARTPOINTER_LINE_MEMBER_ACCESS);
    return m_p;
  }
  T& operator*() const { return *operator->(); }

  // The object seen as its base class `Base`; guarded (line 206).
  template <class Base>
  Base& As() const {
    static_assert(std::is_base_of_v<Base, T>, "As<Base>() views an object as one of its bases");
    if (!m_p) QEL_ThrowNullReference(Base::GetStaticClassName(), QEL_SMARTPOINTER_LINE_VIEW_AS_BASE);
    return *m_p;
  }

  // The raw pointer, unguarded; null when the pointer holds nothing.
  T* Get() const noexcept { return m_p; }
  bool IsNull() const noexcept { return m_p == nullptr; }
  explicit operator bool() const noexcept { return m_p != nullptr; }

  // Drops the reference.
  void Reset() noexcept {
    T* object = m_p;
    m_p = nullptr;
    if (object) object->RemoveReference();
  }
  void Swap(CQEL_SmartPtr& other) noexcept { std::swap(m_p, other.m_p); }

  friend bool operator==(const CQEL_SmartPtr& a, const CQEL_SmartPtr& b) noexcept { return a.m_p == b.m_p; }
  friend bool operator==(const CQEL_SmartPtr& a, std::nullptr_t) noexcept { return a.m_p == nullptr; }

 private:
  template <class>
  friend class CQEL_SmartPtr;

  // Gives up the reference without dropping it (moves between types).
  T* Detach() noexcept {
    T* object = m_p;
    m_p = nullptr;
    return object;
  }

  template <class U>
  static T* ConvertFrom(U* object) {
    if (!object) QEL_ThrowNullReference(U::GetStaticClassName(), QEL_SMARTPOINTER_LINE_CONVERT_TO_BASE);
    return object;
  }

  T* m_p = nullptr;
};
