// Message texts of events: the message module an event source registered, found through the
// registry, and the text built when no message can be had.
#pragma once

#include <windows.h>

#include <string>

#include "core/EventItem.h"
#include "framework/WinHandle.h"

namespace corvane {

// Buffers of the message formatter: the output text and the table of insertion strings.
constexpr DWORD kMessageBufferSize = 16383;
constexpr int kMaxMessageArguments = 4095;

// The path of the key under which a subkey named `keyName` (ASCII letters compared without
// case) was found, searching depth-first from `startPath` on the local machine's `root`; empty
// when there is none. Needs only the right to enumerate subkeys.
std::string FindKeyPath(HKEY root, const std::string& startPath, const std::string& keyName);

// "The description for Event ID ( n ) in Source ( s ) could not be found. ..." followed by the
// insertion strings, each on a line of its own.
std::string DescriptionNotFound(const TEventItem& item);

// Formats message `eventId` of `module` with the item's insertion strings (at most the first
// kMaxMessageArguments of them); false when the module has no such message.
bool FormatEventMessage(HMODULE module, const TEventItem& item, std::string& text);
// The same with the message's text given (in the ANSI code page); false when it cannot be
// formatted.
bool FormatEventText(const char* message, const TEventItem& item, std::string& text);

// Replaces the first "%SystemRoot%" (this exact case) by putting the Windows directory in front
// of what remains.
std::string ExpandSystemRoot(std::string path);

// A message module loaded for its texts only (its code does not run); holds nothing when the
// path is empty or does not load.
TUniqueModule LoadMessageModule(const std::string& path);

}  // namespace corvane
