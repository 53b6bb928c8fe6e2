#include "tests/support/data_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tv::test {

DataDir::DataDir() {
  // A folder of its own, made without mkdtemp, which the Windows build's C library lacks.
  const std::string name = "tarvolen-data-" + std::to_string(std::random_device{}());
  path_ = (fs::temp_directory_path() / name).string();
  if (!fs::create_directories(path_)) throw std::runtime_error("cannot make a temporary directory");
  for (const auto& e : fs::directory_iterator(TARVOLEN_DATA_DIR)) {
    const std::string ext = e.path().extension().string();
    if (ext == ".bmp" || ext == ".mid" || ext == ".wav") fs::copy_file(e.path(), fs::path(path_) / e.path().filename());
  }
}

DataDir::~DataDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void DataDir::Remove(const std::string& name) const { fs::remove(File(name)); }

void DataDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream(File(name), std::ios::binary | std::ios::trunc) << bytes;
}

void DataDir::Truncate(const std::string& name, size_t size) const { fs::resize_file(File(name), size); }

}  // namespace tv::test
