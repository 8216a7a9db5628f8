#pragma once
// The project file of the ZYL 36 window (*.qel): 27 text lines, each ended by CR LF.
//
//   1      "do not add lines!" / "keine Zeilen hinzufügen!" (the language it was written in;
//          not read back)
//   2      "QS40MNTx"
//   3      "[straight]"    4-7   switch points 1-4   (millimetres, shortest decimal text)
//   8      "[right]"       9-12  switch points 5-8
//   13     "[left]"        14-17 switch points 9-12
//   18     "[full area]"   19-22 switch points 13-16
//   23     "[Hysterese]"   24-27 the four hysteresis values (whole millimetres)
//
// Loading walks the sections in this order: a header line that is not the expected one is
// consumed and its section skipped, so the following header is compared with the next line.
#include "NuvaCommands.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct NuvaProjectValues {
    std::array<double, kNuvaSwitchPointCount> points{};
    std::array<long long, kNuvaHysteresisCount> hysteresis{};
};

// The whole file, CR LF after every line.
std::string NuvaProjectFileText(const NuvaProjectValues& values, bool english);

struct NuvaProjectLoad {
    enum class Status {
        Ok,
        NotQs40File, // line 2 does not contain "QS40MNTx"
        BadNumber,   // a value line is missing or holds no (fitting) number; what came before stands
    };
    Status status = Status::Ok;
    int badLine = 0; // 1-based line of the value that could not be read
    // What the file set; sections that were skipped (or not reached) leave their entries empty.
    std::array<std::optional<double>, kNuvaSwitchPointCount> points;
    std::array<std::optional<long long>, kNuvaHysteresisCount> hysteresis;

    // The header of the first section whose values the file did not set ("[right]",
    // "[Hysterese]"); empty when it set all 20 values.
    std::string_view missingSection() const;
};

// Lines may end in CR LF or LF.
NuvaProjectLoad NuvaReadProjectFile(std::string_view text);
