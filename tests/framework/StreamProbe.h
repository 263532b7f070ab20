// A component with one published property of every kind a saved state holds, and helpers that
// let tests and the fuzzer forge streams whose checksum still matches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/PropertyInfo.h"
#include "framework/PropertyStream.h"

namespace corvane::stream_test {

class TProbeLogon : public TPersistent {
 public:
  static const TClassInfo& StaticClassInfo() {
    using P = Published<TProbeLogon>;
    static const TClassInfo info("TProbeLogon", &TPersistent::StaticClassInfo(),
                                 {P::String("UserName", &TProbeLogon::user, &TProbeLogon::user),
                                  P::String("Password", &TProbeLogon::password,
                                            &TProbeLogon::password)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  std::string user;
  std::string password;
};

class TProbe : public TComponent {
 public:
  TProbe() : TComponent(nullptr) {}
  static const TClassInfo& StaticClassInfo() {
    using P = Published<TProbe>;
    static const TClassInfo info(
        "TProbe", &TComponent::StaticClassInfo(),
        {P::String("MachineName", &TProbe::Machine, &TProbe::SetMachine),
         P::Boolean("Active", &TProbe::active, &TProbe::active, std::nullopt),
         P::Boolean("IncludeUserName", &TProbe::includeUser, &TProbe::includeUser, true),
         P::Integer("Limit", &TProbe::limit, &TProbe::limit, 0),
         P::Integer("Computed", &TProbe::limit, nullptr, 0),
         P::String("Scratch", &TProbe::scratch, &TProbe::scratch, false),
         P::Event("OnChange"),
         P::Object("LogonAs", TProbeLogon::StaticClassInfo(),
                   [](TProbe& p) -> TProbeLogon& { return p.logon; }, nullptr)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string Machine() const { return machine; }
  void SetMachine(const std::string& value) {
    machine = value;
    machineSetWhileReading = IsReading();
  }

  std::string machine;
  bool machineSetWhileReading = false;
  bool active = false;
  bool includeUser = true;
  int32_t limit = 0;
  std::string scratch;
  TProbeLogon logon;
  int loaded = 0;

 protected:
  void Loaded() override {
    TComponent::Loaded();
    ++loaded;
  }
};

// Standard CRC-32, written apart from the library's so that each checks the other.
inline uint32_t ReferenceCrc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// Makes the header's payload size and checksum agree with the bytes after the header.
inline void Reseal(std::vector<uint8_t>& stream) {
  if (stream.size() < kPropertyStreamHeaderSize) return;
  const size_t payload = stream.size() - kPropertyStreamHeaderSize;
  const uint32_t crc = ReferenceCrc32(stream.data() + kPropertyStreamHeaderSize, payload);
  for (int i = 0; i < 4; ++i) {
    stream[8 + i] = static_cast<uint8_t>(payload >> (8 * i));
    stream[12 + i] = static_cast<uint8_t>(crc >> (8 * i));
  }
}

}  // namespace corvane::stream_test
