// The checksum of a file's bytes that the record keeps for each version an installation placed, so that a
// removal can tell such a version from one that someone else put there since. Free of Win32.
#pragma once

#include <string>

// "<size in decimal>-<CRC-32 as 8 lower-case hex digits>", the CRC-32 of IEEE 802.3 ("123456789" gives
// "9-cbf43926").
std::string fileChecksum(const std::string &bytes);
