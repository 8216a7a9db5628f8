#pragma once
// Reads an S-record file into the pages of a QS40 firmware image. The whole file is
// checked before the loader is entered, so a bad file never leaves a half-written sensor:
// record types, hexadecimal digits, counts, checksums, addresses rising inside the image
// window, and an end record. Lines may end in CR LF or LF.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

inline constexpr std::uint32_t kQs40ImageBase = 0xC0000;
inline constexpr std::size_t kQs40PageSize = 256;
inline constexpr std::size_t kQs40MaxPages = 1025;

// What put the last byte into a page: a data byte, the 0xFF filling a gap up to the next
// record, or the padding of the image's last, incomplete page.
enum class Qs40PageEnd { Data, Gap, Padding };

struct Qs40ImagePage {
    std::array<std::uint8_t, kQs40PageSize> bytes{};
    Qs40PageEnd end = Qs40PageEnd::Data;
};

enum class SRecordError { None, Format, TooLarge };

// What is wrong with the first bad line; each front end says it in its own language.
enum class SRecordReason : std::uint8_t {
    None,
    UnknownType,    // not "S" and a type digit of a known record type
    OddDigits,      // the hex pairs do not come out even
    NotHex,         // a character that is no hex digit
    CountMismatch,  // the count byte does not match the record's length
    BadChecksum,    // the checksum does not match
    FirstNotHeader, // the first record is not S0
    BelowWindow,    // a data record below kQs40ImageBase
    NotRising,      // a data record below the one before
    TooManyPages,   // data beyond kQs40MaxPages pages
    UnexpectedType, // a second S0, or a type that has no place after the header
    NoEndRecord,    // the file ends without S7, S8 or S9
    NoRecords,      // the file holds no records at all
};

struct SRecordImage {
    SRecordError error = SRecordError::None;
    std::size_t line = 0; // the first bad line, counted from 1
    SRecordReason reason = SRecordReason::None;
    // Consecutive pages from kQs40ImageBase on; the gaps between records hold 0xFF.
    std::vector<Qs40ImagePage> pages;
};

SRecordImage ReadSRecordImage(std::span<const std::uint8_t> file);
