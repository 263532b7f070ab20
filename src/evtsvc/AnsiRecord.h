// A record in the 8-bit form that the A reading function returns: the EVENTLOGRECORD fields,
// source and computer names and insertion strings converted to the ANSI code page, the SID
// DWORD-aligned after the names (with at least one padding byte, as the system writes it),
// strings, data, padding to a DWORD, and the length repeated at the end.
#pragma once

#include <cstdint>
#include <vector>

#include "EvtFile.h"

namespace corvane::evtsvc {

// Into `bytes`, whose room is reused from one record to the next.
void AnsiRecord(const evt::RecordView& record, std::vector<uint8_t>& bytes);

}  // namespace corvane::evtsvc
