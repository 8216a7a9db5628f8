#include "SRecordImage.h"

#include <optional>
#include <string_view>

namespace {

constexpr std::uint32_t kWindowEnd = kQs40ImageBase + kQs40MaxPages * kQs40PageSize;

std::optional<std::uint8_t> hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

// Address length in bytes of each record type S0..S9 (0: no such type).
constexpr std::array<std::size_t, 10> kAddressBytes{2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

struct Record {
    int type = 0;
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
};

// One record line: "S", the type digit, count, address, data, checksum, all hex pairs.
std::optional<Record> parseRecord(std::string_view line, SRecordReason& reason) {
    if (line.size() < 4 || line[0] != 'S' || line[1] < '0' || line[1] > '9' ||
        kAddressBytes[std::size_t(line[1] - '0')] == 0) {
        reason = SRecordReason::UnknownType;
        return std::nullopt;
    }
    if (line.size() % 2 != 0) {
        reason = SRecordReason::OddDigits;
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve((line.size() - 2) / 2);
    for (std::size_t i = 2; i < line.size(); i += 2) {
        const auto high = hexDigit(line[i]);
        const auto low = hexDigit(line[i + 1]);
        if (!high || !low) {
            reason = SRecordReason::NotHex;
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
    }
    Record record;
    record.type = line[1] - '0';
    const std::size_t addressBytes = kAddressBytes[std::size_t(record.type)];
    if (bytes[0] != bytes.size() - 1 || bytes[0] < addressBytes + 1) {
        reason = SRecordReason::CountMismatch;
        return std::nullopt;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        sum += bytes[i];
    if (bytes.back() != static_cast<std::uint8_t>(0xFF - (sum & 0xFF))) {
        reason = SRecordReason::BadChecksum;
        return std::nullopt;
    }
    for (std::size_t i = 0; i < addressBytes; ++i)
        record.address = record.address << 8 | bytes[1 + i];
    record.data.assign(bytes.begin() + 1 + std::ptrdiff_t(addressBytes), bytes.end() - 1);
    return record;
}

// Builds the pages byte by byte; a page is complete when its last byte is stored.
class PageBuilder {
public:
    explicit PageBuilder(std::vector<Qs40ImagePage>& pages) : m_pages(pages) { m_page.bytes.fill(0xFF); }
    std::uint32_t address() const { return m_address; }
    void store(std::uint8_t byte, Qs40PageEnd kind) {
        m_page.bytes[m_offset++] = byte;
        ++m_address;
        if (m_offset == kQs40PageSize)
            complete(kind);
    }
    void padLastPage() {
        if (m_offset > 0)
            complete(Qs40PageEnd::Padding);
    }

private:
    void complete(Qs40PageEnd kind) {
        m_page.end = kind;
        m_pages.push_back(m_page);
        m_page.bytes.fill(0xFF);
        m_offset = 0;
    }
    std::vector<Qs40ImagePage>& m_pages;
    Qs40ImagePage m_page;
    std::size_t m_offset = 0;
    std::uint32_t m_address = kQs40ImageBase;
};

SRecordImage fail(SRecordImage image, SRecordError error, std::size_t line, SRecordReason reason) {
    image.error = error;
    image.line = line;
    image.reason = reason;
    image.pages.clear();
    return image;
}

} // namespace

SRecordImage ReadSRecordImage(std::span<const std::uint8_t> file) {
    SRecordImage image;
    PageBuilder builder(image.pages);
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    std::size_t lineNumber = 0;
    bool sawHeader = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        SRecordReason reason = SRecordReason::None;
        const std::optional<Record> record = parseRecord(line, reason);
        if (!record)
            return fail(std::move(image), SRecordError::Format, lineNumber, reason);
        if (!sawHeader) {
            if (record->type != 0)
                return fail(std::move(image), SRecordError::Format, lineNumber,
                            SRecordReason::FirstNotHeader);
            sawHeader = true;
            continue;
        }
        switch (record->type) {
        case 1:
        case 2:
        case 3: {
            if (record->address < builder.address())
                return fail(std::move(image), SRecordError::Format, lineNumber,
                            record->address < kQs40ImageBase ? SRecordReason::BelowWindow
                                                             : SRecordReason::NotRising);
            if (std::uint64_t(record->address) + record->data.size() > kWindowEnd)
                return fail(std::move(image), SRecordError::TooLarge, lineNumber,
                            SRecordReason::TooManyPages);
            while (builder.address() < record->address)
                builder.store(0xFF, Qs40PageEnd::Gap);
            for (std::uint8_t b : record->data)
                builder.store(b, Qs40PageEnd::Data);
            break;
        }
        case 5:
        case 6:
            break; // record counts: nothing to load
        case 7:
        case 8:
        case 9:
            builder.padLastPage();
            return image;
        default:
            return fail(std::move(image), SRecordError::Format, lineNumber, SRecordReason::UnexpectedType);
        }
    }
    return fail(std::move(image), SRecordError::Format, lineNumber,
                sawHeader ? SRecordReason::NoEndRecord : SRecordReason::NoRecords);
}
