#pragma once
// Builds S-record text for tests and benchmarks of the firmware loader.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::string SRecordLine(int type, std::uint32_t address, const std::vector<std::uint8_t>& data,
                               const char* lineEnd = "\r\n") {
    static constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
    const int addressBytes = kAddressBytes[type];
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(addressBytes + data.size() + 1)};
    for (int i = addressBytes - 1; i >= 0; --i)
        bytes.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    bytes.push_back(static_cast<std::uint8_t>(0xFF - (sum & 0xFF)));
    std::string line = "S" + std::to_string(type);
    char hex[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    return line + lineEnd;
}

struct SRecordBlock {
    std::uint32_t address;
    std::vector<std::uint8_t> data;
};

// A header, S3 records of up to 32 bytes for each block, and an S7 end record.
inline std::string SRecordFile(const std::vector<SRecordBlock>& blocks, const char* lineEnd = "\r\n") {
    std::string file = SRecordLine(0, 0, {'f', 'w'}, lineEnd);
    for (const SRecordBlock& block : blocks)
        for (std::size_t i = 0; i < block.data.size(); i += 32) {
            const std::size_t n = std::min<std::size_t>(32, block.data.size() - i);
            file += SRecordLine(3, block.address + std::uint32_t(i),
                                std::vector<std::uint8_t>(block.data.begin() + std::ptrdiff_t(i),
                                                          block.data.begin() + std::ptrdiff_t(i + n)),
                                lineEnd);
        }
    return file + SRecordLine(7, 0, {}, lineEnd);
}

// Bytes of a test image that differ from page to page and from 0xFF.
inline std::vector<std::uint8_t> PatternBytes(std::size_t count, unsigned seed = 1) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 256 + seed) % 251);
    return bytes;
}
