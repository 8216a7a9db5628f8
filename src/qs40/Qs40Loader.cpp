#include "Qs40Loader.h"

#include "Qs40TextLine.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kLoaderBaud = 57600;
constexpr std::size_t kSkippedPages = 256; // 0xC0000..0xCFFFF hold the loader itself
constexpr int kEnterAckReads = 100;
constexpr int kBlankAnswerReads = 48;
constexpr int kByteAckReads = 20;
constexpr int kPageEndReadsAfterGap = 20;
constexpr int kPageEndReadsAfterData = 50;

bool skipped(const Qs40ImagePage& page, std::size_t number) {
    if (number <= kSkippedPages)
        return true;
    // A page that only the filling up to the next record completed is left alone when it
    // holds nothing but 0xFF (its last byte is always filler).
    return page.end == Qs40PageEnd::Gap &&
           std::all_of(page.bytes.begin(), page.bytes.end() - 1, [](std::uint8_t b) { return b == 0xFF; });
}

bool sendAcknowledged(Qs40TextLine& line, std::uint8_t byte) {
    line.sendRaw(byte);
    return line.waitFor(kQs40Ack, kByteAckReads);
}

bool sendPage(Qs40TextLine& line, const Qs40ImagePage& page, std::size_t number) {
    if (skipped(page, number)) {
        if (!sendAcknowledged(line, '-'))
            return false;
    } else {
        if (!sendAcknowledged(line, 'D'))
            return false;
        for (std::uint8_t b : page.bytes)
            if (!sendAcknowledged(line, b))
                return false;
    }
    return line.waitFor('P', page.end == Qs40PageEnd::Gap ? kPageEndReadsAfterGap : kPageEndReadsAfterData);
}

Qs40DownloadResult runLoader(Qs40TextLine& line, const SRecordImage& image, const Qs40PageReport& onPage) {
    SerialDevice& device = line.device();
    // The loader answers every byte of its entry request with one byte of its own.
    std::string request = std::string(1, char(kQs40Stx)) + "UPF" + kQs40AccessCode + char(kQs40Eot);
    device.purge(true, false);
    for (char c : request) {
        line.sendRaw(static_cast<std::uint8_t>(c));
        line.readByte();
    }
    LineSettings fast = device.settings();
    fast.baud = kLoaderBaud;
    if (!device.applySettings(fast))
        return Qs40DownloadResult::NoAnswer;
    line.waitFor(kQs40Ack, kEnterAckReads); // the loader may greet or not; "B" tells
    line.sendRaw('B');
    if (!line.waitFor('e', 'E', kBlankAnswerReads))
        return Qs40DownloadResult::NoAnswer;
    for (std::size_t i = 0; i < image.pages.size(); ++i) {
        if (!sendPage(line, image.pages[i], i + 1))
            return Qs40DownloadResult::NoAnswer;
        if (onPage)
            onPage(i + 1, image.pages.size());
    }
    return Qs40DownloadResult::Done;
}

} // namespace

Qs40DownloadResult Qs40DownloadImage(Qs40Context& ctx, std::uint8_t sensorType, const SRecordImage& image,
                                     const Qs40PageReport& onPage) {
    if (image.error == SRecordError::Format)
        return Qs40DownloadResult::FormatError;
    if (image.error == SRecordError::TooLarge)
        return Qs40DownloadResult::TooLarge;
    SerialDevice* device = Qs40Prepare(ctx, sensorType);
    if (!device)
        return Qs40DownloadResult::NoAnswer;
    const LineSettings savedSettings = device->settings();
    const Timeouts savedTimeouts = device->timeouts();
    Qs40TextLine line(*device, ctx.ports.clock());
    const Qs40DownloadResult result = runLoader(line, image, onPage);
    device->applySettings(savedSettings);
    device->setTimeouts(savedTimeouts);
    if (line.broken()) {
        ctx.lineFailed(*device);
        return Qs40DownloadResult::NoAnswer;
    }
    return result;
}

Qs40UpdateResult Qs40FirmwareUpdate(Qs40Context& ctx, std::uint8_t sensorType,
                                    std::optional<std::span<const std::uint8_t>> imageFile,
                                    bool ReducedUpdate, const Qs40PageReport& onPage, bool valuesHeld) {
    Qs40UpdateResult result;
    constexpr int kImageCode = 44;
    if (!imageFile) {
        result.code = kImageCode;
        result.download = Qs40DownloadResult::NotOpened;
        return result;
    }
    const SRecordImage image = ReadSRecordImage(*imageFile);
    if (image.error != SRecordError::None) {
        result.code = kImageCode;
        result.download = image.error == SRecordError::TooLarge ? Qs40DownloadResult::TooLarge
                                                                : Qs40DownloadResult::FormatError;
        return result;
    }

    // Each step that runs and succeeds is followed by draining what the sensor may still say.
    auto step = [&](int code, bool skip, auto&& operation) {
        if (result.code != 0 || skip)
            return;
        if (!operation()) {
            result.code = code;
            return;
        }
        Qs40DrainReply(ctx);
    };
    auto op = [&](bool (*operation)(Qs40Context&, std::uint8_t)) {
        return [&ctx, sensorType, operation] { return operation(ctx, sensorType); };
    };
    step(1, ReducedUpdate || valuesHeld, op(Qs40ReadSwitchPoints));
    step(2, valuesHeld, op(Qs40Unlock));
    // The limits are read here so that what goes back is the sensor's, not the program's.
    step(3, ReducedUpdate || valuesHeld, op(Qs40ReadLimits));
    step(3, valuesHeld, op(Qs40ReadSettings));
    step(4, valuesHeld, op(Qs40ReadCurveTable));
    step(kImageCode, false, [&] {
        result.download = Qs40DownloadImage(ctx, sensorType, image, onPage);
        return *result.download == Qs40DownloadResult::Done;
    });
    step(5, false, op(Qs40Restart));
    step(6, ReducedUpdate, op(Qs40WriteSwitchPoints));
    step(7, false, op(Qs40Unlock));
    step(8, false, op(Qs40WriteSettings));
    step(9, false, op(Qs40WriteCurveTable));
    step(10, ReducedUpdate, op(Qs40WriteLimits));
    step(11, false, op(Qs40StoreEeprom));
    step(12, false, op(Qs40Restart));
    return result;
}
