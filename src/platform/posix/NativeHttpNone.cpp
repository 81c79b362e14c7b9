// The 32-bit test build: no HTTP client.
#include "platform/posix/NativeHttp.h"

namespace strevo {

NativeHttp::NativeHttp() = default;
bool NativeHttp::CrackUrl(const std::string&, TUrlInfo&) { return false; }
int NativeHttp::Send(const TUrlInfo&, const std::string&, bool, size_t, std::string&) { return 0; }
bool NativeHttp::Available() { return false; }

}  // namespace strevo
