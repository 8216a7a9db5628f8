#pragma once
// Fixed-size binary records the windows keep per user, such as the ZYL24 window's 20-byte
// "Einstellungen" in the group "zyl24" or the 40-byte one of the ZYL36 window in "zyl36".
// Earlier installations left these records as raw binary values in the registry, and other
// tools read them there, so on Windows they are stored as such (RegistryRecordStore) and not
// the way QSettings would store a byte array (as text).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class BinaryRecordStore {
public:
    struct ReadResult {
        // The record, exactly as many bytes as were asked for; empty when there is none.
        std::optional<std::vector<std::uint8_t>> bytes;
        // Set when a stored value was ignored because it is not a binary value of that size.
        std::string warning;
    };

    virtual ~BinaryRecordStore() = default;
    // Nothing stored gives neither bytes nor a warning. A value of another size or type is
    // ignored (and left as it is) with a warning.
    virtual ReadResult read(const std::string& group, const std::string& name, std::size_t size) = 0;
    // Empty when written, otherwise why not. Other values of the group stay untouched.
    virtual std::string write(const std::string& group, const std::string& name,
                              std::span<const std::uint8_t> bytes) = 0;
};
