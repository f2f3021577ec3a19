// Where FUSE is not built in, no folder hangs: the tests that need one skip.
#include "scanner/tests/hanging_folder.h"

namespace vostrel::testing {

struct HangingFolder::Served {};

HangingFolder::HangingFolder(std::map<std::string, std::string>, std::set<std::string>) {
  throw NoFuse("this build has no FUSE (libfuse3-dev)");
}

HangingFolder::~HangingFolder() = default;

bool HangingFolder::WaitForHangingRead() { return false; }

void HangingFolder::Release() {}

}  // namespace vostrel::testing
