#pragma once
// The QS40 firmware loader exchange and the update sequence around it.
#include "Qs40_speziell.h"
#include "SRecordImage.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

enum class Qs40DownloadResult {
    NotOpened,   // the image file could not be opened
    FormatError, // a record of the file is malformed
    NoAnswer,    // the loader did not answer in time (or there is no QS40 on the port)
    TooLarge,    // the image reaches beyond 1025 pages
    Done,        // every page went over
};

// Enters the loader ("UPF" and the access code, then 57600 baud), sends "B", and then every
// page of the image: the first 256 pages (below 0xD0000) and pages only filled up to the next
// record are skipped with "-", every other page goes as "D" and its 256 bytes, each byte
// acknowledged, followed by the loader's "P". A bad image is refused before anything is
// sent. The port's line setting and time-outs are restored whatever the result.
// `onPage`, when given, hears of every page the loader took (counted from 1) and of the total.
using Qs40PageReport = std::function<void(std::size_t page, std::size_t pages)>;
Qs40DownloadResult Qs40DownloadImage(Qs40Context& ctx, std::uint8_t sensorType, const SRecordImage& image,
                                     const Qs40PageReport& onPage = {});

struct Qs40UpdateResult {
    // 0 success; 1..12 the failing step; 44 the image (file or download).
    int code = 0;
    std::optional<Qs40DownloadResult> download; // set once the image was looked at
};

// The whole update, keeping the sensor's switch points, limits, settings and word table
// across the new firmware. `imageFile` holds the S-record file's bytes, or nothing when it
// could not be opened; it is checked completely before the first request. With
// ReducedUpdate the switch points and limits are neither read nor written.
// valuesHeld: the values to carry across are already in the parameter set, read by an earlier
// attempt that failed during or after the download. The sensor is not asked for them again: it
// may still sit in its loader, or run the new firmware with factory values. The update goes
// straight to the loader and then writes the held values back.
Qs40UpdateResult Qs40FirmwareUpdate(Qs40Context& ctx, std::uint8_t sensorType,
                                    std::optional<std::span<const std::uint8_t>> imageFile,
                                    bool ReducedUpdate, const Qs40PageReport& onPage = {},
                                    bool valuesHeld = false);
