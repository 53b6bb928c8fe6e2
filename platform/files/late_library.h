#pragma once
#include <initializer_list>
#include <string>

namespace tv {

// A shared library the program loads when it first needs it rather than with
// the program: what the loader maps before main() delays the first picture.
// A file keeps the library's functions it calls as pointers (decltype(&::name))
// and fills them once (TV_LATE_LIBRARY below); the handle is never closed, so
// nothing depends on the order of teardown. Opening and finding are the
// system's (late_library_posix.cpp); what is said when it fails is here.
class LateLibrary {
 public:
  // Opens the first of `sonames` that loads, its functions bound at once and
  // kept to this program's own lookups.
  explicit LateLibrary(std::initializer_list<const char*> sonames);

  // Points `function` at the library's `name`, or at nothing.
  template <typename Function>
  void Find(Function& function, const char* name) {
    function = reinterpret_cast<Function>(Symbol(name));
  }

  // Whether the library opened and every function was found. If not, says so
  // in one line on stderr: what could not be loaded, the loader's reason, and
  // what the player gets instead (`otherwise`).
  bool Ready(const char* what, const char* otherwise) const;

 private:
  void* Symbol(const char* name);

  void* handle_ = nullptr;
  std::string failure_;  // the loader's first complaint
};

}  // namespace tv

// One late library in a file's anonymous namespace: the table of its functions
// as pointers, named `table`, and `bool loader()`, which loads the library
// with its first call, from any thread, and says once on stderr when it cannot
// (LateLibrary::Ready). `functions` names an X-macro over the functions called
// (functions(X) is X(first) X(second) ...); the sonames follow, the one a
// package provides first. For example:
//   #define TV_PNG_FUNCTIONS(X) X(png_create_write_struct) X(png_write_row)
//   TV_LATE_LIBRARY(gPng, LoadPng, TV_PNG_FUNCTIONS, "libpng", "no picture can be written", "libpng16.so.16")
#define TV_LATE_LIBRARY(table, loader, functions, what, otherwise, ...) \
  struct {                                                              \
    functions(TV_LATE_POINTER_)                                         \
  } table;                                                              \
  bool loader() {                                                       \
    static const bool loaded = [] {                                     \
      ::tv::LateLibrary lib({__VA_ARGS__});                             \
      auto& found = table;                                              \
      functions(TV_LATE_FIND_)                                          \
      return lib.Ready(what, otherwise);                                \
    }();                                                                \
    return loaded;                                                      \
  }

// TV_LATE_LIBRARY's own parts: a pointer of the table, and its filling.
#define TV_LATE_POINTER_(name) decltype(&::name) name = nullptr;
#define TV_LATE_FIND_(name) lib.Find(found.name, #name);
