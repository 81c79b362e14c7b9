// The program-wide error table and the error reporter (message box plus an
// entry in "Errors.log" in the user database folder).
#pragma once

#include <cstdint>
#include <string>

namespace strevo {

std::string ErrorText(int32_t code);
// Shows the message box, then appends the entry to "Errors.log" once the
// program paths exist. Returns 0.
int32_t ReportError(int32_t code, const std::string& message);
// The entry in "Errors.log" alone, for what the person need not be asked
// about at once (a file kept aside).
void LogError(int32_t code, const std::string& message);

}  // namespace strevo
