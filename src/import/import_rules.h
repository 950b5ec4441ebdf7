#pragma once

#include <string>

#include "velmora/base/date_time.h"

// The rules of the folder import that decide about one file before it is read: which names
// are imported, when a file is ready, when a claim has been left behind, and the EDI delimiter.
namespace velmora::import {

// Seconds before the start of a run within which a file counts as possibly still being
// written: file systems and shares that keep times to the second (or two) cannot tell a file
// written just before the start from one written just after it.
inline constexpr int kCoarseTimeSeconds = 2;
// Age after which a claimed file is reported to the operator on every run.
inline constexpr int kStaleClaimSeconds = 3600;

// Whether `name` is an import file: extension "xml", "xls" or "obi" in any case.
bool HasImportExtension(const std::string& name);

// Whether `name` is claimed: it starts with "~".
bool IsClaimed(const std::string& name);

// Whether a file last changed at `modified` waits for a later run than the one started at
// `started`: changed after the start, or less than kCoarseTimeSeconds before it.
bool WaitsForLaterRun(const DateTime& modified, const DateTime& started);

// Whether a claimed file last changed at `modified` has been claimed for longer than
// kStaleClaimSeconds at `started` (a run that ended without finishing it).
bool IsStaleClaim(const DateTime& modified, const DateTime& started);

// `text` with every occurrence of `delimiter` removed (letters in any case) when the text's
// last character above a blank (byte value above 32) is the delimiter; otherwise `text`
// unchanged. An empty delimiter changes nothing.
std::string StripEdiDelimiter(std::string text, const std::string& delimiter);

}  // namespace velmora::import
