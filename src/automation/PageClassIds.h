// The class identifiers of the property pages Rendal names, in the order the container shows
// them: credentials, the list of records, one record. The page units serve them under these.
#pragma once

#include <windows.h>

namespace corvane {

// {B7CD2C3F-21D1-4144-BA7E-7ACEAB92EC08}
constexpr CLSID kLogonAsPageClsid = {
    0xB7CD2C3F, 0x21D1, 0x4144, {0xBA, 0x7E, 0x7A, 0xCE, 0xAB, 0x92, 0xEC, 0x08}};
// {9AC3090C-55B2-40D0-98E4-B2AB9643766C}
constexpr CLSID kEventListPageClsid = {
    0x9AC3090C, 0x55B2, 0x40D0, {0x98, 0xE4, 0xB2, 0xAB, 0x96, 0x43, 0x76, 0x6C}};
// {C0261BBB-B3E2-4EAE-A020-1410A03862D5}
constexpr CLSID kEventDetailPageClsid = {
    0xC0261BBB, 0xB3E2, 0x4EAE, {0xA0, 0x20, 0x14, 0x10, 0xA0, 0x38, 0x62, 0xD5}};

}  // namespace corvane
