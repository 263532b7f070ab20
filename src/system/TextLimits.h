// What a member hands to the system as a name or a text. The system takes C strings, so a NUL
// inside one would end it early and the system would act on a shorter name than the one given;
// and each call takes so many characters and no more. Members check here, before anything is
// opened or written, and a refusal names the member and the limit.
#pragma once

#include <cstddef>
#include <limits>
#include <string_view>

namespace corvane {

// Limits of the system calls, in the characters the system counts (UTF-16 units).
// A log or an event source: the name of a registry key.
constexpr size_t kMaxSourceName = 255;
// A machine name with its leading backslashes: the network functions take 255 characters.
constexpr size_t kMaxMachineName = 255;
// A path handed to the file functions of the ANSI code page: MAX_PATH with its terminator.
constexpr size_t kMaxFileName = 259;
// One insertion string of a written event.
constexpr size_t kMaxInsertionString = 31839;
// The data of a written event, in bytes.
constexpr size_t kMaxEventData = 261991;
// For texts the system takes at any length.
constexpr size_t kAnyLength = std::numeric_limits<size_t>::max();

// Raises "<what> can hold at most <limit> <unit>; this one has <size>." and `outcome` when
// `size` is above `limit`.
void RequireAtMost(size_t size, size_t limit, std::string_view what, std::string_view unit,
                   std::string_view outcome = {});

// Raises when the system would read `text` otherwise than given: when it holds a NUL, or more
// than `maxCharacters` characters once converted from the ANSI code page. The message begins
// with `what` and ends with `outcome`.
void RequireSystemText(std::string_view text, size_t maxCharacters, std::string_view what,
                       std::string_view outcome = {});

}  // namespace corvane
