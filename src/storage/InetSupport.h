// HTTP requests for data files given as addresses, and admission of the
// program's registered messages through the message filter.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "storage/Streams.h"

namespace strevo {

// Longest address accepted (exclusive).
inline constexpr size_t kMaxUrlLength = 2056;

bool ParseUrl(const std::string& url, TUrlInfo& info);
// The HTTP status (0 when the address cannot be parsed, kHttpTransferFailed
// when the body did not come whole); on 200 the body is appended to stream.
// A body larger than kLargestTextFile ends the transfer there and is
// refused: status 0, the stream untouched. The debug log says why a
// document was not taken.
int HttpRequest(std::string url, const std::string& postData, TStream& stream, bool reload);
void AllowMessage(uint32_t message);

}  // namespace strevo
