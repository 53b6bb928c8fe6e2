#include "tests/support/data_dir.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tv::test {

DataDir::DataDir() {
  std::string tmpl = (fs::temp_directory_path() / "tarvolen-data-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a temporary directory");
  path_ = tmpl;
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
