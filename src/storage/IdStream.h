// The "$"-tagged header of the program's text data files, and the scrambling
// of rows in files whose header says "$fileformat=crypted".
#pragma once

#include <string>

namespace strevo {

class TTextFile;
class TStreamFile;

// Every byte of a scrambled row is combined by exclusive-or with this byte;
// files written by other tools use the same one. It maps CR and LF to bytes
// that Windows-1252 text does not use, so scrambled rows keep their row ends.
inline constexpr unsigned char kScrambleKey = 0x8B;

void ScrambleRow(std::string& row);
inline void UnscrambleRow(std::string& row) { ScrambleRow(row); }

// Read by Open: at most 15 header rows for text files, 8 for stream files.
void ReadTextHeader(TTextFile& file);
void ReadStreamHeader(TStreamFile& file);

}  // namespace strevo
