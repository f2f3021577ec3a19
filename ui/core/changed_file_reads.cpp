#include "ui/core/changed_file_reads.h"

#include <exception>
#include <utility>

#include "scanner/dll_listing.h"
#include "scanner/text_reader.h"
#include "ui/core/mission_details.h"
#include "ui/core/table_text.h"

namespace vostrel {
namespace {

ChangedFileRead ReadChangedFile(LookupBinding& binding, const TextDecoding& decoding, const std::string& path) {
  try {
    return {ReadMissionRow(binding, path, decoding, kTableTextBytes), std::nullopt};
  } catch (const std::exception& error) {
    // TextReadError, with the system's reason; or out of memory.
    return {std::nullopt, error.what()};
  }
}

}  // namespace

ChangedFileReads::ChangedFileReads(EventLoop& loop, std::size_t workers,
                                   std::function<void(const std::string&)> arrived)
    : loop_(loop), workers_(workers), arrived_(std::move(arrived)), calls_(loop) {}

void ChangedFileReads::Read(std::shared_ptr<LookupBinding> binding, std::shared_ptr<const TextDecoding> decoding,
                            const std::string& folder, const std::string& name) {
  if (!pool_) pool_ = std::make_unique<WorkerPool>(workers_, [&loop = loop_](WorkerPool::Call call) { loop.Post(std::move(call)); });
  const std::uint64_t number = ++lastNumber_;
  asked_[name] = number;
  in_.erase(name);
  ++inFlight_;
  pool_->Run([binding = std::move(binding), decoding = std::move(decoding), path = JoinPath(folder, name),
              arrived = calls_.Guarded([this, name, number](const ChangedFileRead& read) { Arrived(name, number, read); })] {
    return WorkerPool::Call([arrived, read = ReadChangedFile(*binding, *decoding, path)] { arrived(read); });
  });
}

void ChangedFileReads::Arrived(const std::string& name, std::uint64_t number, ChangedFileRead read) {
  --inFlight_;
  const auto asked = asked_.find(name);
  if (asked == asked_.end() || asked->second != number) return;  // forgotten, or read again since
  in_[name] = std::move(read);
  arrived_(name);
}

std::optional<ChangedFileRead> ChangedFileReads::Take(const std::string& name) {
  const auto in = in_.find(name);
  if (in == in_.end()) return std::nullopt;
  ChangedFileRead read = std::move(in->second);
  in_.erase(in);
  asked_.erase(name);
  return read;
}

void ChangedFileReads::Forget(const std::string& name) {
  asked_.erase(name);
  in_.erase(name);
}

void ChangedFileReads::Clear() {
  calls_.Cancel();
  pool_.reset();
  inFlight_ = 0;
  asked_.clear();
  in_.clear();
}

}  // namespace vostrel
