#pragma once
// The parameter set as zylctl prints it: one "key: value" line per parameter. Keys and values
// do not depend on the language, so scripts can read them; millimetres carry one decimal and
// a point.
#include <string>
#include <string_view>

struct Qd20Settings;
struct Qd20Variant;

std::string SettingsReport(const Qd20Settings& settings, const Qd20Variant& variant);

// The variant's name as the report shows it ("ZYL24_500").
std::string_view VariantName(const Qd20Variant& variant);
