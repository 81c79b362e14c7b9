// The file objects: TTextFile (CR LF rows on a raw handle), TStreamFile (rows
// from a local file or a downloaded document) and TRecFile (binary records).
// None of them throws on an ordinary failure; each operation stores its
// outcome in Status and returns it (1 good; see the FileStatus values).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "storage/Streams.h"

namespace strevo {

namespace FileStatus {
constexpr int32_t Good = 1;
constexpr int32_t EndOfFile = 0;
constexpr int32_t Closed = 2;
constexpr int32_t NotFound = -1;
constexpr int32_t OpenFailed = -2;
constexpr int32_t AlreadyOpen = -3;
constexpr int32_t TooLarge = -4;  // "out of memory for file": larger than kLargestTextFile, not read
constexpr int32_t WriteError = -5;
constexpr int32_t CloseFailed = -6;
constexpr int32_t ReadError = -7;
}  // namespace FileStatus

class TFile {
 public:
  TFile() = default;
  virtual ~TFile() = default;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // Header fields of the "$"-tagged text format.
  std::string DurationList;
  uint8_t Crypted = 0;
  std::string FileName;
  std::string Version;
  int32_t Status = 0;
  std::string Language;
  std::string LongDesc;
  std::string Description;
  std::string Author;
  std::string Copyright;
  uint8_t HasVersion = 0;
  int32_t Size = 0;

 protected:
  int32_t SetStatus(int32_t status) { return Status = status; }
  bool CanWrite() const { return Status == FileStatus::Good || Status == FileStatus::EndOfFile; }
};

// Open modes of TTextFile (the design's numbers).
namespace text_mode {
constexpr int32_t Read = 1;     // reads the tagged header
constexpr int32_t Rewrite = 2;  // create or truncate
constexpr int32_t Append = 3;
}  // namespace text_mode

class TTextFile : public TFile {
 public:
  ~TTextFile() override;
  // Modes: 1 read (reads the tagged header), 2 rewrite, 3 append.
  int32_t Open(const std::string& name, int32_t mode);
  int32_t ReadLn(std::string& row);
  int32_t WriteLn(const std::string& row);
  // Rows cut and ended as WriteLn does, all in one write. A write that
  // fails (status -5) is cut off again, so the file never ends in part of
  // them.
  int32_t WriteRows(const std::vector<std::string>& rows);
  int32_t Close();
  // The bytes WriteRows writes: each row cut to 250 characters, CR LF after it.
  static std::string RowsText(const std::vector<std::string>& rows);

  int32_t Position = 0;

 private:
  friend void ReadTextHeader(TTextFile& file);
  std::unique_ptr<IFileHandle> Handle;
};

class TStreamFile : public TFile {
 public:
  // Unlike the other kinds, the destructor does not close: callers Close first
  // (the stream is released with the object either way).
  ~TStreamFile() override = default;
  // Source: a local path, a "file:/" address or an "http:/" address. Mode 2
  // creates the file, 3 opens it for writing, others open it for reading;
  // a source to read that is larger than kLargestTextFile gives -4.
  int32_t Open(const std::string& source, int32_t mode, bool skipHeader);
  // One row, at most 255 characters and then at most maxLen.
  int32_t ReadLn(std::string& row, int32_t maxLen = 255);
  bool Eof();
  int32_t Close();
  // Every row of a source, unscrambled never, header never interpreted.
  // Returns 1, -1 when a download fails, -7 (also left in Status) when the
  // stream stops delivering bytes before its end, or -4 (Status too) when
  // the source is, or grows, larger than kLargestTextFile, with no row
  // added; raises EFOpenError when a local file cannot be opened.
  int32_t LoadLines(std::vector<std::string>& target, const std::string& source);

  std::unique_ptr<TStream> Stream;

 private:
  friend void ReadStreamHeader(TStreamFile& file);
};

// Open modes and access of TRecFile (the design's numbers).
namespace rec_mode {
constexpr int32_t OpenExisting = 1;  // 2 does the same
constexpr int32_t Create = 5;        // create or truncate, exclusive
}  // namespace rec_mode
namespace rec_access {
constexpr int32_t ReadDenyWrite = -2;
constexpr int32_t ReadWriteExclusive = -1;
constexpr int32_t ReadShared = -6;
constexpr int32_t ReadWriteShared = 0;  // any other value
}  // namespace rec_access

class TRecFile : public TFile {
 public:
  ~TRecFile() override;
  // Modes 1 and 2 open an existing file (access -2 read only deny write,
  // -1 read-write exclusive, -6 read only full sharing, other read-write full
  // sharing); mode 5 creates or truncates it, exclusive.
  int32_t Open(const std::string& name, int32_t mode, int32_t access);
  bool Seek(int64_t offset);
  int32_t RecordCount(int32_t recordSize) const;
  bool IsWholeRecords(int32_t recordSize) const;

  int32_t ReadInt(int32_t& value);
  int32_t ReadSmallInt(int32_t& value);
  int32_t ReadShortStr(int32_t maxLen, std::string& value);
  int32_t ReadWideBuf(int32_t maxLen, std::vector<uint16_t>& buffer);
  // Raw bytes; a short read leaves what was read at the front of the buffer.
  int32_t ReadBytes(void* buffer, int32_t count);

  int32_t WriteInt(int32_t value);
  int32_t WriteWord(int32_t value);
  int32_t WriteShortStr(const std::string& value);
  int32_t WriteWideBuf(const std::vector<uint16_t>& buffer, int32_t maxLen);
  int32_t WriteBytes(const void* buffer, int32_t count);
  // Flushes written data to the disk (status unchanged; false on failure).
  bool Flush();

  int32_t Close();

 private:
  // Sequential reads are served from a read-ahead buffer: one system call
  // per block instead of one per record. Seeks and writes drop it.
  int64_t ReadAhead(char* out, int64_t count);
  void DropReadAhead();
  std::unique_ptr<IFileHandle> Handle;
  std::vector<char> readAhead_;
  size_t readPos_ = 0;
};

// Reads one row from a stream: LF, CR or CR LF ends it; maxLen < 0 means
// unlimited. At the end of data it returns an empty row, or raises
// EIdEndOfStream when raiseAtEnd is set.
std::string ReadStreamRow(TStream& stream, int64_t maxLen, bool raiseAtEnd);

}  // namespace strevo
