#include "record/checksum.h"

#include <cstdint>

#include "platform/ascii_text.h"

std::string fileChecksum(const std::string &bytes) {
    // Bit by bit: the payload's few hundred kilobytes need no table.
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (crc & 1u ? 0xEDB88320u : 0u);
    }
    crc ^= 0xFFFFFFFFu;
    std::string hex(8, '0');
    for (int i = 7; i >= 0; --i, crc >>= 4)
        hex[i] = "0123456789abcdef"[crc & 0xF];
    return decimal(static_cast<long long>(bytes.size())) + "-" + hex;
}
