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

namespace {
void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
}  // namespace

std::string BmpBytes(const Bitmap& picture) {
  const uint32_t stride = (uint32_t(picture.width) * 3 + 3) & ~3u;
  const uint32_t dataSize = stride * uint32_t(picture.height);
  std::string s = "BM";
  Put(s, 54 + dataSize, 4);
  Put(s, 0, 4);
  Put(s, 54, 4);
  Put(s, 40, 4);
  Put(s, uint32_t(picture.width), 4);
  Put(s, uint32_t(picture.height), 4);
  Put(s, 1, 2);
  Put(s, 24, 2);
  Put(s, 0, 4);
  Put(s, dataSize, 4);
  Put(s, 2835, 4);
  Put(s, 2835, 4);
  Put(s, 0, 4);
  Put(s, 0, 4);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      const Pixel p = picture.At(x, y);
      s.push_back(char(p & 0xFF));
      s.push_back(char((p >> 8) & 0xFF));
      s.push_back(char((p >> 16) & 0xFF));
    }
    s.append(stride - uint32_t(picture.width) * 3, '\0');
  }
  return s;
}

}  // namespace tv::test
