#include "storage/FileObj.h"

#include <algorithm>
#include <cstring>

#include "platform/Ansi.h"
#include "storage/Exceptions.h"
#include "storage/IdStream.h"
#include "storage/InetSupport.h"
#include "storage/ToolBox.h"

namespace strevo {

namespace {

void put_le(unsigned char* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t get_le(const unsigned char* in, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(in[i]) << (8 * i);
  return value;
}

}  // namespace

// ---------------------------------------------------------------- TTextFile --

TTextFile::~TTextFile() {
  if (Status != FileStatus::Closed) Close();
}

int32_t TTextFile::Open(const std::string& name, int32_t mode) {
  if (Status == FileStatus::Good) return SetStatus(FileStatus::AlreadyOpen);
  FileName = name;
  auto fail = [this](int32_t status) {
    Handle.reset();
    Size = -1;
    Position = -1;
    return SetStatus(status);
  };
  FileOpenOptions options;
  switch (mode) {
    case 1:
      if (!Files().FileExists(name)) return fail(FileStatus::NotFound);
      options = {FileAccess::Read, FileShare::Read, FileCreate::OpenExisting};
      break;
    case 2:
      options = {FileAccess::ReadWrite, FileShare::None, FileCreate::CreateAlways};
      break;
    case 3:
      options = {FileAccess::Write, FileShare::Read, FileCreate::OpenExisting};
      break;
    default:
      return fail(FileStatus::OpenFailed);
  }
  Handle = Files().Open(name, options);
  if (!Handle) return fail(FileStatus::OpenFailed);
  if (mode == 3) {
    const int64_t end = Handle->Seek(0, SeekOrigin::End);
    if (end < 0) return fail(FileStatus::OpenFailed);
    Size = Position = static_cast<int32_t>(end);
    return SetStatus(FileStatus::Good);
  }
  if (mode == 1) {
    const int64_t end = Handle->Seek(0, SeekOrigin::End);
    if (end < 0 || Handle->Seek(0, SeekOrigin::Begin) != 0) return fail(FileStatus::OpenFailed);
    Size = static_cast<int32_t>(std::min<int64_t>(end, INT32_MAX));
    Position = 0;
    SetStatus(FileStatus::Good);
    ReadTextHeader(*this);
    return Status;
  }
  Size = Position = 0;
  return SetStatus(FileStatus::Good);
}

int32_t TTextFile::ReadLn(std::string& row) {
  row.clear();
  if (Status != FileStatus::Good) return Status;
  if (Position >= Size) return SetStatus(FileStatus::EndOfFile);
  char buffer[1024];
  if (Handle->Seek(Position, SeekOrigin::Begin) < 0) return SetStatus(FileStatus::ReadError);
  const int64_t n = Handle->Read(buffer, sizeof buffer);
  if (n < 0) return SetStatus(FileStatus::ReadError);
  const char* cr = static_cast<const char*>(std::memchr(buffer, '\r', static_cast<size_t>(n)));
  if (cr) {
    row.assign(buffer, static_cast<size_t>(cr - buffer));
    SetStatus(FileStatus::Good);
  } else {
    row.assign(buffer, static_cast<size_t>(n));
    SetStatus(FileStatus::EndOfFile);
  }
  if (Crypted) UnscrambleRow(row);
  Position += static_cast<int32_t>(row.size()) + 2;
  Handle->Seek(Position, SeekOrigin::Begin);
  return Status;
}

int32_t TTextFile::WriteLn(const std::string& row) {
  if (!CanWrite()) return Status;
  const std::string text = row.substr(0, 250);
  if (Handle->Write(text.data(), static_cast<int64_t>(text.size())) != static_cast<int64_t>(text.size()))
    return SetStatus(FileStatus::WriteError);
  if (Handle->Write("\r", 1) != 1) return SetStatus(FileStatus::WriteError);
  if (Handle->Write("\n", 1) != 1) return SetStatus(FileStatus::WriteError);
  Position += static_cast<int32_t>(text.size()) + 2;
  Size = std::max(Size, Position);
  return Status;
}

std::string TTextFile::RowsText(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) {
    text.append(row, 0, 250);
    text += "\r\n";
  }
  return text;
}

int32_t TTextFile::WriteRows(const std::vector<std::string>& rows) {
  if (!CanWrite()) return Status;
  const std::string text = RowsText(rows);
  const auto size = static_cast<int64_t>(text.size());
  if (Handle->Write(text.data(), size) != size) {
    if (Handle->Seek(Position, SeekOrigin::Begin) >= 0) Handle->Truncate();
    return SetStatus(FileStatus::WriteError);
  }
  Position += static_cast<int32_t>(size);
  Size = std::max(Size, Position);
  return Status;
}

int32_t TTextFile::Close() {
  if (Status == FileStatus::Closed || Status == FileStatus::OpenFailed) return Status;
  const bool ok = !Handle || Handle->Close();
  Handle.reset();
  return SetStatus(ok ? FileStatus::Closed : FileStatus::CloseFailed);
}

// -------------------------------------------------------------- TStreamFile --

std::string ReadStreamRow(TStream& stream, int64_t maxLen, bool raiseAtEnd) {
  int64_t position = stream.Position();
  const int64_t size = stream.Size();
  if (position >= size) {
    if (raiseAtEnd)
      throw EIdEndOfStream(std::string("End of stream: ") + stream.ClassName() + " at " + std::to_string(position));
    return {};
  }
  std::string row;
  char chunk[2048];
  bool ended = false;
  while (position < size && !ended) {
    const int64_t want = std::min<int64_t>(sizeof chunk, size - position);
    stream.Seek(position, SeekOrigin::Begin);
    const int64_t got = stream.Read(chunk, want);
    if (got <= 0) break;
    int64_t rowBytes = got, consumed = got;
    for (int64_t i = 0; i < got; ++i) {
      if (chunk[i] == '\n') {
        rowBytes = i;
        consumed = i + 1;
        ended = true;
        break;
      }
      if (chunk[i] == '\r') {
        rowBytes = i;
        consumed = i + 1;
        if (i + 1 < got && chunk[i + 1] == '\n') ++consumed;
        ended = true;
        break;
      }
    }
    if (maxLen >= 0 && static_cast<int64_t>(row.size()) + rowBytes > maxLen) {
      const int64_t take = maxLen - static_cast<int64_t>(row.size());
      row.append(chunk, static_cast<size_t>(take));
      position += take;
      break;
    }
    row.append(chunk, static_cast<size_t>(rowBytes));
    position += consumed;
  }
  stream.Seek(position, SeekOrigin::Begin);
  return row;
}

int32_t TStreamFile::Open(const std::string& source, int32_t mode, bool skipHeader) {
  SetStatus(FileStatus::Good);
  if (source.empty()) return SetStatus(FileStatus::NotFound);
  const std::string name = source.substr(0, 255);
  FileName = name;
  if (IsWebAddress(name)) {
    auto memory = std::make_unique<TMemoryStream>();
    if (HttpRequest(name, "", *memory, false) != 200) return SetStatus(FileStatus::NotFound);
    Stream = std::move(memory);
  } else {
    FileOpenOptions options{FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting};
    if (mode == 2) options = {FileAccess::ReadWrite, FileShare::Read, FileCreate::CreateAlways};
    if (mode == 3) options = {FileAccess::Write, FileShare::ReadWrite, FileCreate::OpenExisting};
    Stream = TFileStream::Open(name, options);
    if (!Stream) return SetStatus(FileStatus::NotFound);
  }
  if (mode != 2 && mode != 3 && Stream->Size() > kLargestTextFile) {
    Stream.reset();
    Size = -1;
    return SetStatus(FileStatus::TooLarge);
  }
  Stream->Seek(0, SeekOrigin::Begin);
  Size = static_cast<int32_t>(std::min<int64_t>(Stream->Size(), INT32_MAX));
  if (!skipHeader) ReadStreamHeader(*this);
  return Status;
}

int32_t TStreamFile::ReadLn(std::string& row, int32_t maxLen) {
  row.clear();
  if (Status != FileStatus::Good || !Stream) return Status;
  const int64_t before = Stream->Position();
  row = ReadStreamRow(*Stream, -1, false);
  // The row reader consumes at least one byte whenever data is left; standing
  // still means the stream could not deliver it, and a caller reading while
  // Status is 1 would otherwise never stop.
  if (Stream->Position() == before && before < Stream->Size()) return SetStatus(FileStatus::ReadError);
  if (row.size() > 255) row.resize(255);
  if (maxLen >= 0 && row.size() > static_cast<size_t>(maxLen)) row.resize(static_cast<size_t>(maxLen));
  if (Crypted) UnscrambleRow(row);
  return SetStatus(Stream->Position() < Stream->Size() ? FileStatus::Good : FileStatus::EndOfFile);
}

bool TStreamFile::Eof() { return !Stream || Stream->Position() >= Stream->Size(); }

int32_t TStreamFile::Close() {
  if (Status == FileStatus::Closed || Status == FileStatus::OpenFailed) return Status;
  bool ok = true;
  if (auto* file = dynamic_cast<TFileStream*>(Stream.get())) ok = file->Close();
  Stream.reset();
  return SetStatus(ok ? FileStatus::Closed : FileStatus::CloseFailed);
}

int32_t TStreamFile::LoadLines(std::vector<std::string>& target, const std::string& source) {
  const std::string lower = ascii_lower(source);
  if (IsWebAddress(source)) {
    auto memory = std::make_unique<TMemoryStream>();
    if (HttpRequest(source, "", *memory, false) != 200) return -1;
    Stream = std::move(memory);
  } else {
    const std::string path = lower.rfind("file:/", 0) == 0 ? source.substr(std::min<size_t>(8, source.size()), 200) : source;
    // Reading only, with full sharing like the reading open of a stream file:
    // a word list being loaded must not lock out other readers of it.
    Stream = TFileStream::Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
    if (!Stream) throw EFOpenError("Cannot open file \"" + path + "\".");
  }
  Stream->Seek(0, SeekOrigin::Begin);
  const size_t first = target.size();
  while (Stream->Position() < Stream->Size()) {
    // Asked at every row: a file that grows while it is read stops too.
    if (Stream->Size() > kLargestTextFile) {
      target.resize(first);
      return SetStatus(FileStatus::TooLarge);
    }
    const int64_t before = Stream->Position();
    std::string row = ReadStreamRow(*Stream, -1, false);
    if (Stream->Position() == before) return SetStatus(FileStatus::ReadError);  // see ReadLn
    target.push_back(std::move(row));
  }
  return 1;
}

// ----------------------------------------------------------------- TRecFile --

TRecFile::~TRecFile() {
  if (Status != FileStatus::Closed) Close();
}

int32_t TRecFile::Open(const std::string& name, int32_t mode, int32_t access) {
  if (Status == FileStatus::Good) return SetStatus(FileStatus::AlreadyOpen);
  readAhead_.clear();
  readPos_ = 0;
  FileName = name;
  FileOpenOptions options;
  if (mode == 1 || mode == 2) {
    if (!Files().FileExists(name)) return SetStatus(FileStatus::NotFound);
    switch (access) {
      case -2: options = {FileAccess::Read, FileShare::Read, FileCreate::OpenExisting, true}; break;
      case -1: options = {FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting, true}; break;
      case -6: options = {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting, true}; break;
      default: options = {FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenExisting, true}; break;
    }
  } else if (mode == 5) {
    options = {FileAccess::ReadWrite, FileShare::None, FileCreate::CreateAlways};
  } else {
    Size = -1;
    return SetStatus(FileStatus::OpenFailed);
  }
  Handle = Files().Open(name, options);
  if (!Handle) {
    Size = -1;
    return SetStatus(FileStatus::OpenFailed);
  }
  Size = mode == 5 ? 0 : static_cast<int32_t>(std::min<int64_t>(Handle->Size(), INT32_MAX));
  return SetStatus(FileStatus::Good);
}

bool TRecFile::Seek(int64_t offset) {
  readAhead_.clear();
  readPos_ = 0;
  if (Handle) Handle->Seek(offset, SeekOrigin::Begin);
  return true;
}

void TRecFile::DropReadAhead() {
  // The handle stands after the buffered bytes: move it back to the reader.
  const int64_t unread = static_cast<int64_t>(readAhead_.size() - readPos_);
  if (unread > 0 && Handle) Handle->Seek(-unread, SeekOrigin::Current);
  readAhead_.clear();
  readPos_ = 0;
}

int64_t TRecFile::ReadAhead(char* out, int64_t count) {
  constexpr int64_t kBlock = 65536;
  int64_t done = 0;
  while (done < count) {
    if (readPos_ < readAhead_.size()) {
      const int64_t take = std::min<int64_t>(count - done, static_cast<int64_t>(readAhead_.size() - readPos_));
      std::memcpy(out + done, readAhead_.data() + readPos_, static_cast<size_t>(take));
      readPos_ += static_cast<size_t>(take);
      done += take;
      continue;
    }
    if (count - done >= kBlock) {  // large reads go straight through
      const int64_t n = Handle->Read(out + done, count - done);
      if (n < 0) return -1;
      return done + n;
    }
    readAhead_.resize(kBlock);
    readPos_ = 0;
    const int64_t n = Handle->Read(readAhead_.data(), kBlock);
    if (n < 0) {
      readAhead_.clear();
      return -1;
    }
    readAhead_.resize(static_cast<size_t>(n));
    if (n == 0) break;
  }
  return done;
}

int32_t TRecFile::RecordCount(int32_t recordSize) const {
  if (Size <= 0 || recordSize <= 0) return 0;
  return Size / recordSize;
}

bool TRecFile::IsWholeRecords(int32_t recordSize) const { return recordSize > 0 && Size % recordSize == 0; }

int32_t TRecFile::ReadBytes(void* buffer, int32_t count) {
  if (Status != FileStatus::Good || !Handle) return Status;
  const int64_t n = ReadAhead(static_cast<char*>(buffer), count);
  if (n < 0) return SetStatus(FileStatus::ReadError);
  if (n < count) return SetStatus(FileStatus::EndOfFile);
  return Status;
}

int32_t TRecFile::ReadInt(int32_t& value) {
  unsigned char bytes[4] = {};
  const int32_t status = ReadBytes(bytes, 4);
  if (status == FileStatus::Good || status == FileStatus::EndOfFile) value = static_cast<int32_t>(get_le(bytes, 4));
  return status;
}

int32_t TRecFile::ReadSmallInt(int32_t& value) {
  unsigned char bytes[2] = {};
  const int32_t status = ReadBytes(bytes, 2);
  if (status == FileStatus::Good || status == FileStatus::EndOfFile)
    value = static_cast<int16_t>(static_cast<uint16_t>(get_le(bytes, 2)));
  return status;
}

int32_t TRecFile::ReadShortStr(int32_t maxLen, std::string& value) {
  std::vector<unsigned char> bytes(static_cast<size_t>(maxLen) + 1, 0);
  const int32_t status = ReadBytes(bytes.data(), maxLen + 1);
  const size_t length = std::min<size_t>(bytes[0], static_cast<size_t>(maxLen));
  value.assign(reinterpret_cast<const char*>(bytes.data()) + 1, length);
  return status;
}

int32_t TRecFile::ReadWideBuf(int32_t maxLen, std::vector<uint16_t>& buffer) {
  std::vector<unsigned char> bytes((static_cast<size_t>(maxLen) + 1) * 2, 0);
  const int32_t status = ReadBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
  buffer.assign(static_cast<size_t>(maxLen) + 1, 0);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint16_t>(get_le(&bytes[i * 2], 2));
  return status;
}

int32_t TRecFile::WriteBytes(const void* buffer, int32_t count) {
  if (!CanWrite() || !Handle) return Status;
  if (!readAhead_.empty()) DropReadAhead();
  const int64_t n = Handle->Write(buffer, count);
  if (n != count) return SetStatus(FileStatus::WriteError);
  return Status;
}

int32_t TRecFile::WriteInt(int32_t value) {
  unsigned char bytes[4];
  put_le(bytes, static_cast<uint32_t>(value), 4);
  return WriteBytes(bytes, 4);
}

int32_t TRecFile::WriteWord(int32_t value) {
  unsigned char bytes[2];
  put_le(bytes, static_cast<uint32_t>(value), 2);
  return WriteBytes(bytes, 2);
}

int32_t TRecFile::WriteShortStr(const std::string& value) {
  unsigned char bytes[256] = {};
  const size_t length = std::min<size_t>(value.size(), 255);
  bytes[0] = static_cast<unsigned char>(length);
  std::memcpy(bytes + 1, value.data(), length);
  return WriteBytes(bytes, 256);
}

int32_t TRecFile::WriteWideBuf(const std::vector<uint16_t>& buffer, int32_t maxLen) {
  std::vector<unsigned char> bytes((static_cast<size_t>(maxLen) + 1) * 2, 0);
  for (size_t i = 0; i < buffer.size() && i <= static_cast<size_t>(maxLen); ++i) put_le(&bytes[i * 2], buffer[i], 2);
  return WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
}

bool TRecFile::Flush() { return Handle && Handle->Flush(); }

int32_t TRecFile::Close() {
  readAhead_.clear();
  readPos_ = 0;
  if (Status == FileStatus::Closed || Status == FileStatus::OpenFailed) return Status;
  const bool ok = !Handle || Handle->Close();
  Handle.reset();
  return SetStatus(ok ? FileStatus::Closed : FileStatus::CloseFailed);
}

}  // namespace strevo
