// Internals shared by the stand-in host's sources.
#pragma once
#include <string>
#include <utility>

#include "qel_host.h"
#include "standin/host_control.h"

namespace standin_internal {

// Counts a creation of `className`; false when a test asked it to fail.
bool MayCreate(const char* className);

// Counts one host call, named "Class::Operation"; throws when it is the one
// a test armed to fail.
void HostCall(const char* name);

// Gives a host class its name.
template <class Interface>
class Named : public Interface {
 public:
  const char* GetClassName() const override { return Interface::GetStaticClassName(); }
};

// Makes an object of the implementation class, or null when its creation was
// asked to fail.
template <class Impl, class... Args>
CQEL_SmartPtr<Impl> Make(Args&&... args) {
  if (!MayCreate(Impl::GetStaticClassName())) return CQEL_SmartPtr<Impl>();
  return CQEL_SmartPtr<Impl>(new Impl(std::forward<Args>(args)...));
}

// Hands out an implementation pointer as a pointer of its interface; a null
// one stays null (the smart pointer's conversion would throw).
template <class Interface, class Impl>
CQEL_SmartPtr<Interface> AsInterface(const CQEL_SmartPtr<Impl>& object) {
  return CQEL_SmartPtr<Interface>(object.Get());
}

// Throws, by pointer, a host exception with this message.
[[noreturn]] void ThrowAppException(const std::string& message);

// The resource library's name in a file name: no folder, no "lib", no ".so".
std::string ModuleNameOf(HINSTANCE module);

}  // namespace standin_internal
