#pragma once
// Manual pages from a hand-written roff template and a program's usage table. The template
// carries the prose; these lines in it are replaced by parts of the table:
//   @SYNOPSIS@          the synopsis
//   @SECTION <title>@   the items of the section with that title, as tagged paragraphs
//   @EXIT STATUS@       the exit codes
// and "@VERSION@" anywhere becomes the program's version. A template that leaves a section
// of the table out, or names one the table does not have, is refused, so every option the
// program accepts is on its page.
#include "ProgramUsage.h"

#include <string>
#include <string_view>

struct ManPageResult {
    std::string page;  // the filled page; empty when `error` is set
    std::string error; // what is wrong with the template
};

ManPageResult fillManPage(std::string_view manTemplate, const ProgramUsage& usage);

// Plain text as roff: hyphens become minus signs (so options can be searched and copied),
// backslashes are escaped, and a line never starts with a control character.
std::string roffText(std::string_view text);
