// Saved state of a component: what is saved comes back through the reading bracket, and a stream
// that is damaged, cut short or foreign is refused before the component is touched.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "framework/OleSysError.h"
#include "framework/PropertyStream.h"
#include "StreamProbe.h"

namespace corvane::stream_test {
namespace {

void Configure(TProbe& p) {
  p.machine = "\\\\HOST";
  p.active = true;
  p.includeUser = false;
  p.limit = -7;
  p.scratch = "not stored";
  p.logon.user = "DOMAIN\\admin";
  p.logon.password = std::string("p\xE4ss\0word", 10);
}

size_t Find(const std::vector<uint8_t>& bytes, std::string_view text) {
  const auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
  EXPECT_NE(at, bytes.end()) << text;
  return static_cast<size_t>(at - bytes.begin());
}

// The refusal's message; fails the test when the stream is accepted or the component changed.
std::string Refusal(const std::vector<uint8_t>& stream) {
  TProbe target;
  Configure(target);
  target.limit = 99;
  const std::vector<uint8_t> before = WritePropertyStream(target);
  std::string message = "(accepted)";
  try {
    ReadPropertyStream(target, stream);
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), kPropertyStreamCorrupt);
    message = e.Message();
  }
  EXPECT_EQ(WritePropertyStream(target), before);
  EXPECT_EQ(target.loaded, 0);
  EXPECT_FALSE(target.IsReading());
  return message;
}

TEST(PropertyStream, RoundTripRestoresStoredPropertiesAndRunsLoadedOnce) {
  TProbe source;
  Configure(source);
  const std::vector<uint8_t> stream = WritePropertyStream(source);
  EXPECT_EQ(PropertyStreamSize({stream.data(), kPropertyStreamHeaderSize}), stream.size());

  TProbe copy;
  ReadPropertyStream(copy, stream);
  EXPECT_EQ(copy.machine, "\\\\HOST");
  EXPECT_TRUE(copy.active);
  EXPECT_FALSE(copy.includeUser);
  EXPECT_EQ(copy.limit, -7);
  EXPECT_EQ(copy.logon.user, "DOMAIN\\admin");
  EXPECT_EQ(copy.logon.password, source.logon.password);
  EXPECT_EQ(copy.scratch, "");  // not stored
  EXPECT_TRUE(copy.machineSetWhileReading);
  EXPECT_EQ(copy.loaded, 1);
  EXPECT_FALSE(copy.IsReading());
}

TEST(PropertyStream, DamagedStreamsAreRefusedAndLeaveTheComponentAsItWas) {
  TProbe source;
  Configure(source);
  const std::vector<uint8_t> good = WritePropertyStream(source);

  for (size_t cut = 0; cut < good.size(); ++cut) {
    SCOPED_TRACE(cut);
    EXPECT_NE(Refusal({good.begin(), good.begin() + static_cast<ptrdiff_t>(cut)}), "(accepted)");
  }
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_EQ(Refusal(longer),
            "The saved state cannot be restored: the header announces " +
                std::to_string(good.size()) + " bytes, the stream holds " +
                std::to_string(longer.size()) + ".");

  std::vector<uint8_t> flipped = good;
  flipped[Find(flipped, "admin")] ^= 0x20;
  EXPECT_EQ(Refusal(flipped), "The saved state cannot be restored: the checksum does not match.");

  std::vector<uint8_t> foreign = good;
  foreign[0] = 'X';
  EXPECT_EQ(Refusal(foreign),
            "The saved state cannot be restored: the stream is not a saved state of this library.");

  std::vector<uint8_t> newer = good;
  newer[4] = 2;
  EXPECT_EQ(Refusal(newer),
            "The saved state cannot be restored: the stream has version 2, this library reads "
            "version 1.");

  std::vector<uint8_t> huge = good;
  huge[11] = 0x7F;
  EXPECT_NE(Refusal(huge).find("more than 1048576"), std::string::npos);
}

TEST(PropertyStream, SoundlySealedButForeignContentIsRefused) {
  TProbe source;
  Configure(source);
  const std::vector<uint8_t> good = WritePropertyStream(source);
  auto forged = [&](const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> stream = good;
    change(stream);
    Reseal(stream);
    return Refusal(stream);
  };
  const std::string prefix = "The saved state cannot be restored: ";

  EXPECT_EQ(forged([](auto& s) { s[Find(s, "TProbe")] = 'X'; }),
            prefix + "it was saved from class XProbe, not TProbe.");
  EXPECT_EQ(forged([](auto& s) { s[Find(s, "Limit")] = 'X'; }),
            prefix + "class TProbe has no saved property Ximit.");
  // The kind byte and the value that follow a boolean's name.
  const size_t active = Find(good, "Active") + 6;
  EXPECT_EQ(forged([&](auto& s) { s[active + 1] = 2; }),
            prefix + "property Active holds the boolean 2.");
  EXPECT_EQ(forged([&](auto& s) { s[active] = static_cast<uint8_t>(TTypeKind::String); }),
            prefix + "property Active is saved as kind 0, but is a boolean property.");
  // A string whose length (here 6, "\\\\HOST") is made to run past the end of the stream.
  const size_t length = Find(good, "MachineName") + 12;
  EXPECT_EQ(forged([&](auto& s) { s[length + 3] = 0x40; }),
            prefix + "the stream ends inside the value of property MachineName (" +
                std::to_string(0x40000006u) + " bytes needed, " +
                std::to_string(good.size() - length - 4) + " left).");
}

}  // namespace
}  // namespace corvane::stream_test
