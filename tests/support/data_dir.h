#pragma once
#include <string>

namespace tv::test {

// A private copy of the files beside the program, which a test may change.
class DataDir {
 public:
  DataDir();
  ~DataDir();
  DataDir(const DataDir&) = delete;
  DataDir& operator=(const DataDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Remove(const std::string& name) const;
  void Write(const std::string& name, const std::string& bytes) const;
  // Cuts a file down to its first `size` bytes.
  void Truncate(const std::string& name, size_t size) const;

 private:
  std::string path_;
};

}  // namespace tv::test
