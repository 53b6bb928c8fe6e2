#include "platform/files/late_library.h"

#include <dlfcn.h>

namespace tv {

LateLibrary::LateLibrary(std::initializer_list<const char*> sonames) {
  std::string first;
  for (const char* name : sonames) {
    if ((handle_ = ::dlopen(name, RTLD_NOW | RTLD_LOCAL))) return;
    // The first name is the one a package provides: its reason says most.
    const char* why = ::dlerror();
    if (first.empty()) first = why ? why : name;
  }
  failure_ = first;
}

void* LateLibrary::Symbol(const char* name) {
  if (!handle_) return nullptr;
  ::dlerror();
  void* symbol = ::dlsym(handle_, name);
  if (!symbol && failure_.empty()) {
    const char* why = ::dlerror();
    failure_ = why ? why : std::string("no ") + name;
  }
  return symbol;
}

}  // namespace tv
