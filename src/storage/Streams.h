// Byte streams: a file stream over the platform file layer, and an in-memory
// stream for downloaded documents.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace strevo {

// The largest text file the program reads whole or row by row: settings
// stores (profiles, the workstation and group files, the language list),
// user indexes, string tables, and every document downloaded over HTTP.
// Real ones stay far below it (a profile or a string table is some
// kilobytes); a larger one is damaged or hostile, and is refused unread
// rather than filling the memory.
inline constexpr int64_t kLargestTextFile = 64 * 1024 * 1024;

class TStream {
 public:
  virtual ~TStream() = default;
  virtual const char* ClassName() const = 0;
  // Bytes transferred; a failed system call gives -1.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  // Cuts or extends the stream; the position stays within it.
  virtual bool SetSize(int64_t size) = 0;
  virtual bool Flush() { return true; }
  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
  bool WriteText(const std::string& text) {
    return Write(text.data(), static_cast<int64_t>(text.size())) == static_cast<int64_t>(text.size());
  }
};

class TFileStream : public TStream {
 public:
  // Null when the file cannot be opened; error tells why.
  static std::unique_ptr<TFileStream> Open(const std::string& path, const FileOpenOptions& options,
                                           FileError* error = nullptr);
  explicit TFileStream(std::unique_ptr<IFileHandle> handle) : handle_(std::move(handle)) {}
  ~TFileStream() override;
  const char* ClassName() const override { return "TFileStream"; }
  int64_t Read(void* buffer, int64_t count) override { return handle_->Read(buffer, count); }
  int64_t Write(const void* buffer, int64_t count) override { return handle_->Write(buffer, count); }
  int64_t Seek(int64_t offset, SeekOrigin origin) override { return handle_->Seek(offset, origin); }
  int64_t Size() override { return handle_->Size(); }
  bool SetSize(int64_t size) override;
  bool Flush() override { return handle_->Flush(); }
  bool Close() { return handle_->Close(); }

 private:
  std::unique_ptr<IFileHandle> handle_;
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}
  const char* ClassName() const override { return "TMemoryStream"; }
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  bool SetSize(int64_t size) override;
  const std::string& Data() const { return data_; }

 private:
  std::string data_;
  int64_t position_ = 0;
};

}  // namespace strevo
