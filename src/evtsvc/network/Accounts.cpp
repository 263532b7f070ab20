#include "Accounts.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "NameText.h"
#include "NetworkErrors.h"

namespace corvane::network {
namespace {

constexpr size_t kMaxNameLength = 256;

[[noreturn]] void Bad(size_t line, const std::string& what) {
  Fail(kInvalidData, "accounts file line " + std::to_string(line) + ": " + what);
}

// Splits off the first blank-separated word.
std::u16string_view Word(std::u16string_view& text) {
  text = Trim(text);
  size_t end = 0;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  const std::u16string_view word = text.substr(0, end);
  text = Trim(text.substr(end));
  return word;
}

std::optional<uint32_t> Number(std::u16string_view text) {
  const std::string narrow = ToUtf8(text);
  std::string_view digits = narrow;
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    base = 16;
  }
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

std::u16string Name(std::u16string_view text, size_t line) {
  text = Trim(text);
  if (text.empty()) Bad(line, "a name is missing");
  if (text.size() > kMaxNameLength) Bad(line, "a name is longer than 256 characters");
  for (char16_t c : text) {
    if (c < 0x20 || std::u16string_view(u"\"/\\[]:|<>+=;,?*").find(c) != std::u16string_view::npos) {
      Bad(line, "the name \"" + ToUtf8(text) + "\" holds a character names may not hold");
    }
  }
  return std::u16string(text);
}

struct TKindName {
  std::u16string_view name;
  uint32_t kind;
};
constexpr TKindName kKinds[] = {
    {u"normal", kFilterNormal},
    {u"temp-duplicate", kFilterTempDuplicate},
    {u"interdomain-trust", kFilterInterdomainTrust},
    {u"workstation-trust", kFilterWorkstationTrust},
    {u"server-trust", kFilterServerTrust},
};

template <typename T>
void SortByRid(std::vector<T>& accounts) {
  std::stable_sort(accounts.begin(), accounts.end(),
                   [](const T& a, const T& b) { return a.rid < b.rid; });
}

// RIDs and names must not repeat within one account domain.
void CheckUnique(const std::vector<const TAccount*>& accounts, const char* domain) {
  for (size_t i = 0; i < accounts.size(); ++i) {
    for (size_t j = i + 1; j < accounts.size(); ++j) {
      if (accounts[i]->rid == accounts[j]->rid) {
        Fail(kInvalidData, "accounts file: RID " + std::to_string(accounts[i]->rid) +
                               " is given twice in the " + domain + " domain");
      }
      if (SameName(accounts[i]->name, accounts[j]->name)) {
        Fail(kInvalidData, "accounts file: the name \"" + ToUtf8(accounts[i]->name) +
                               "\" is given twice in the " + domain + " domain");
      }
    }
  }
}

}  // namespace

uint32_t DefaultServerType(TRole role, bool inDomain) {
  const uint32_t common = kServerTypeWorkstation | kServerTypeServer | kServerTypeNt;
  switch (role) {
    case TRole::Controller:
      return common | kServerTypeDomainController | kServerTypeTimeSource;
    case TRole::Server:
      return common | kServerTypeServerNt | (inDomain ? kServerTypeDomainMember : 0);
    case TRole::Workstation:
      break;
  }
  return common | (inDomain ? kServerTypeDomainMember : 0);
}

Accounts ParseAccounts(const uint8_t* bytes, size_t size) {
  std::string_view raw(reinterpret_cast<const char*>(bytes), size);
  if (raw.starts_with("\xEF\xBB\xBF")) raw.remove_prefix(3);
  std::u16string text;
  try {
    text = FromUtf8(raw);
  } catch (const EOleSysError&) {
    Fail(kInvalidData, "accounts file: not UTF-8 text");
  }

  Accounts accounts;
  bool haveSid = false, haveRole = false, haveDomain = false, haveServerType = false;
  size_t lineNumber = 0;
  std::u16string_view rest = text;
  while (!rest.empty()) {
    ++lineNumber;
    const size_t end = rest.find(u'\n');
    std::u16string_view line = rest.substr(0, end);
    rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == u'#' || line.front() == u';') continue;

    const std::u16string keyword = UpperCase(Word(line));
    auto once = [&](bool& seen) {
      if (seen) Bad(lineNumber, "\"" + ToUtf8(keyword) + "\" is given twice");
      seen = true;
    };
    auto rid = [&]() {
      const auto value = Number(Word(line));
      if (!value) Bad(lineNumber, "a RID (a number) is expected");
      return *value;
    };
    if (keyword == u"SID") {
      once(haveSid);
      const auto sid = Sid::Parse(ToUtf8(Word(line)));
      if (!sid || !line.empty()) Bad(lineNumber, "not a security identifier");
      if (sid->SubAuthorities().size() >= kMaxSubAuthorities) {
        Bad(lineNumber, "the SID leaves no room for a RID");
      }
      accounts.sid = *sid;
    } else if (keyword == u"ROLE") {
      once(haveRole);
      const std::u16string role = UpperCase(Word(line));
      if (role == u"CONTROLLER") {
        accounts.role = TRole::Controller;
      } else if (role == u"SERVER") {
        accounts.role = TRole::Server;
      } else if (role == u"WORKSTATION") {
        accounts.role = TRole::Workstation;
      } else {
        Bad(lineNumber, "the role is controller, server or workstation");
      }
      if (!line.empty()) Bad(lineNumber, "text after the role");
    } else if (keyword == u"DOMAIN" || keyword == u"WORKGROUP") {
      if (haveDomain) Bad(lineNumber, "a machine belongs to one domain or workgroup");
      haveDomain = true;
      accounts.inDomain = keyword == u"DOMAIN";
      accounts.domain = Name(line, lineNumber);
      if (accounts.domain.size() > 15) Bad(lineNumber, "domain and workgroup names have at most 15 characters");
    } else if (keyword == u"SERVER-TYPE") {
      once(haveServerType);
      const auto bits = Number(Word(line));
      if (!bits || !line.empty()) Bad(lineNumber, "server-type takes one number");
      accounts.serverType = *bits;
    } else if (keyword == u"COMMENT") {
      accounts.comment = std::u16string(line);
    } else if (keyword == u"USER") {
      TUserAccount user;
      user.rid = rid();
      const std::u16string kind = std::u16string(Word(line));
      const auto known = std::find_if(std::begin(kKinds), std::end(kKinds),
                                      [&](const TKindName& k) { return SameName(k.name, kind); });
      if (known == std::end(kKinds)) {
        Bad(lineNumber, "the kind of a user is normal, temp-duplicate, interdomain-trust, "
                        "workstation-trust or server-trust");
      }
      user.kind = known->kind;
      user.name = Name(line, lineNumber);
      accounts.users.push_back(std::move(user));
    } else if (keyword == u"GROUP" || keyword == u"LOCAL-GROUP" || keyword == u"BUILTIN-GROUP") {
      TAccount group;
      group.rid = rid();
      group.name = Name(line, lineNumber);
      auto& list = keyword == u"GROUP"         ? accounts.groups
                   : keyword == u"LOCAL-GROUP" ? accounts.localGroups
                                               : accounts.builtinGroups;
      list.push_back(std::move(group));
    } else {
      Bad(lineNumber, "unknown statement \"" + ToUtf8(keyword) + "\"");
    }
  }

  if (!haveSid) Fail(kInvalidData, "accounts file: the machine's sid is missing");
  if (!haveRole) Fail(kInvalidData, "accounts file: the machine's role is missing");
  if (accounts.role == TRole::Controller && !accounts.inDomain) {
    Fail(kInvalidData, "accounts file: a controller names its domain");
  }
  if (!haveDomain) accounts.domain = u"WORKGROUP";
  if (!haveServerType) accounts.serverType = DefaultServerType(accounts.role, accounts.inDomain);

  SortByRid(accounts.users);
  SortByRid(accounts.groups);
  SortByRid(accounts.localGroups);
  SortByRid(accounts.builtinGroups);
  std::vector<const TAccount*> own;
  for (const auto& a : accounts.users) own.push_back(&a);
  for (const auto& a : accounts.groups) own.push_back(&a);
  for (const auto& a : accounts.localGroups) own.push_back(&a);
  CheckUnique(own, "machine's");
  std::vector<const TAccount*> builtin;
  for (const auto& a : accounts.builtinGroups) builtin.push_back(&a);
  CheckUnique(builtin, "built-in");
  return accounts;
}

}  // namespace corvane::network
