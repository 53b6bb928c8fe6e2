#pragma once
#include <initializer_list>
#include <string>

namespace tv {

// A shared library the program loads when it first needs it rather than with
// the program: what the loader maps before main() delays the first picture.
// A file keeps the library's functions it calls as pointers (decltype(&::name))
// and fills them once; the handle is never closed, so nothing depends on the
// order of teardown.
class LateLibrary {
 public:
  // Opens the first of `sonames` that loads (RTLD_NOW | RTLD_LOCAL).
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

// A file lists the functions it calls as an X-macro, TV_NAME_FUNCTIONS(X), and
// gives it these: TV_LATE_POINTER declares the table's pointers in a struct;
// TV_LATE_FIND, where a LateLibrary `lib` and the table as `table` are in
// scope, fills them.
#define TV_LATE_POINTER(name) decltype(&::name) name = nullptr;
#define TV_LATE_FIND(name) lib.Find(table.name, #name);
