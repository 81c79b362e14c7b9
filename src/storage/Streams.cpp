#include "storage/Streams.h"

#include <algorithm>
#include <cstring>

namespace strevo {

std::unique_ptr<TFileStream> TFileStream::Open(const std::string& path, const FileOpenOptions& options,
                                               FileError* error) {
  auto handle = Files().Open(path, options, error);
  if (!handle) return nullptr;
  return std::make_unique<TFileStream>(std::move(handle));
}

TFileStream::~TFileStream() { handle_->Close(); }

bool TFileStream::SetSize(int64_t size) {
  const int64_t position = handle_->Seek(0, SeekOrigin::Current);
  if (handle_->Seek(size, SeekOrigin::Begin) < 0 || !handle_->Truncate()) return false;
  handle_->Seek(std::min(position, size), SeekOrigin::Begin);
  return true;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, Size() - position_));
  if (n > 0) std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (position_ + count > Size()) data_.resize(static_cast<size_t>(position_ + count));
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  const int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? position_ : Size();
  position_ = std::max<int64_t>(0, base + offset);
  return position_;
}

bool TMemoryStream::SetSize(int64_t size) {
  data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
  position_ = std::min(position_, Size());
  return true;
}

}  // namespace strevo
