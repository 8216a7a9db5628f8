// S-record images: any file is either refused with a line and a reason, or read into at most
// 1025 pages; an image that was read, written out again as records, reads to the same pages.
#include "FuzzInput.h"
#include "SRecordImage.h"
#include "SRecordText.h"

#include <algorithm>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SRecordImage image = ReadSRecordImage({data, size});
    if (image.error != SRecordError::None) {
        FUZZ_CHECK(image.reason != SRecordReason::None && image.pages.empty());
        return 0;
    }
    FUZZ_CHECK(image.pages.size() <= kQs40MaxPages);

    // Every page that holds more than 0xFF, and the last one, as S3 records; the reader fills
    // the pages between them.
    std::vector<SRecordBlock> blocks;
    for (std::size_t p = 0; p < image.pages.size(); ++p)
        if (p + 1 == image.pages.size() ||
            std::any_of(image.pages[p].bytes.begin(), image.pages[p].bytes.end(),
                        [](std::uint8_t b) { return b != 0xFF; }))
            blocks.push_back(
                {std::uint32_t(kQs40ImageBase + p * kQs40PageSize),
                 std::vector<std::uint8_t>(image.pages[p].bytes.begin(), image.pages[p].bytes.end())});
    const std::string again = SRecordFile(blocks);
    const SRecordImage reread =
        ReadSRecordImage({reinterpret_cast<const std::uint8_t*>(again.data()), again.size()});
    FUZZ_CHECK(reread.error == SRecordError::None);
    FUZZ_CHECK(reread.pages.size() == image.pages.size());
    for (std::size_t p = 0; p < image.pages.size(); ++p)
        FUZZ_CHECK(reread.pages[p].bytes == image.pages[p].bytes);
    return 0;
}
