#include "platform/files/file_report.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace tv {
namespace {

std::mutex gReportMutex;

// Never destroyed: the audio thread may still report while the program exits.
std::set<std::string>& Reported() {
  static auto* reported = new std::set<std::string>;
  return *reported;
}

}  // namespace

void ReportUnusableFile(const std::string& path, const std::string& why) {
  std::lock_guard<std::mutex> lock(gReportMutex);
  if (!Reported().insert(path).second) return;
  std::fprintf(stderr, "tarvolen: %s: %s\n", path.c_str(), why.c_str());
}

bool ReportedUnusable(const std::string& path) {
  std::lock_guard<std::mutex> lock(gReportMutex);
  return Reported().count(path) != 0;
}

}  // namespace tv
