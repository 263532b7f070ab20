#include "framework/PropertyStream.h"

#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "framework/OleSysError.h"
#include "framework/PropertyInfo.h"

namespace corvane {

namespace {

constexpr char kMagic[4] = {'C', 'V', 'P', 'S'};
// Objects inside objects: far more than any class here nests, few enough for the stack.
constexpr int kMaxDepth = 8;

[[noreturn]] void Refuse(const std::string& what) {
  throw EOleSysError("The saved state cannot be restored: " + what + ".", kPropertyStreamCorrupt);
}

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

uint32_t Crc32(std::span<const uint8_t> bytes) {
  static constexpr std::array<uint32_t, 256> kTable = MakeCrcTable();
  uint32_t c = 0xFFFFFFFFu;
  for (uint8_t b : bytes) c = kTable[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t Little32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The properties a saved state holds: what can be set back (a value with both accessors, or an
// object reached through its reader) and is meant to be stored. Events are never saved.
bool Saveable(const TPropInfo& prop) {
  if (!prop.Stored || prop.Kind == TTypeKind::Method) return false;
  if (prop.Kind == TTypeKind::Class) return prop.Readable() && prop.PropClass != nullptr;
  return prop.Readable() && prop.Writable();
}

const TPropInfo* SaveableProperty(const TClassInfo& info, std::string_view name) {
  for (const TPropInfo* prop : info.Properties()) {
    if (prop->Name == name) return Saveable(*prop) ? prop : nullptr;
  }
  return nullptr;
}

// Writing

class Writer {
 public:
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) { Little(v, 2); }
  void U32(uint32_t v) { Little(v, 4); }
  void Name(std::string_view name) {
    if (name.size() > std::numeric_limits<uint16_t>::max()) {
      RaiseClassError("Name too long to save: " + std::string(name.substr(0, 64)));
    }
    U16(static_cast<uint16_t>(name.size()));
    Raw(name);
  }
  void Text(const std::string& text, const std::string& property) {
    if (text.size() > kMaxPropertyStreamPayload) {
      RaiseClassError("The value of property " + property + " is too long to save");
    }
    U32(static_cast<uint32_t>(text.size()));
    Raw(text);
  }
  void Object(TPersistent& object, const TClassInfo& info, int depth);
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  void Little(uint32_t v, int count) {
    for (int i = 0; i < count; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Raw(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }

  std::vector<uint8_t> bytes_;
};

void Writer::Object(TPersistent& object, const TClassInfo& info, int depth) {
  if (depth > kMaxDepth) RaiseClassError("Objects nested too deeply to save in " + info.Name());
  std::vector<const TPropInfo*> saved;
  for (const TPropInfo* prop : info.Properties()) {
    if (Saveable(*prop)) saved.push_back(prop);
  }
  if (saved.size() > std::numeric_limits<uint16_t>::max()) {
    RaiseClassError("Class " + info.Name() + " publishes too many properties to save");
  }
  U16(static_cast<uint16_t>(saved.size()));
  for (const TPropInfo* prop : saved) {
    Name(prop->Name);
    U8(static_cast<uint8_t>(prop->Kind));
    const TPropValue value = prop->GetValue(object);
    switch (prop->Kind) {
      case TTypeKind::String: Text(std::get<std::string>(value), prop->Name); break;
      case TTypeKind::Boolean: U8(std::get<bool>(value) ? 1 : 0); break;
      case TTypeKind::Integer: U32(static_cast<uint32_t>(std::get<int32_t>(value))); break;
      case TTypeKind::Class: {
        TPersistent* child = std::get<TPersistent*>(value);
        if (!child) RaiseClassError("Property " + prop->Name + " holds no object to save");
        Object(*child, *prop->PropClass, depth + 1);
        break;
      }
      case TTypeKind::Method: break;
    }
  }
}

// Reading: first into this staging form, checked against the class, then applied.

struct TSavedEntry {
  const TPropInfo* Prop = nullptr;
  TPropValue Value;                   // unused for an object
  std::vector<TSavedEntry> Children;  // an object's own entries
};

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  uint8_t U8(const char* what) { return Take(1, what)[0]; }
  uint16_t U16(const char* what) {
    const uint8_t* p = Take(2, what);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  }
  uint32_t U32(const char* what) { return Little32(Take(4, what)); }
  std::string_view Name(const char* what) {
    const uint16_t size = U16(what);
    return AsText(Take(size, what), size);
  }
  std::string Text(const std::string& property) {
    const std::string what = "the value of property " + property;
    const uint32_t size = U32(what.c_str());
    return std::string(AsText(Take(size, what.c_str()), size));
  }
  std::vector<TSavedEntry> Object(const TClassInfo& info, int depth);
  size_t Left() const { return bytes_.size() - at_; }

 private:
  const uint8_t* Take(size_t size, const char* what) {
    if (size > Left()) {
      Refuse("the stream ends inside " + std::string(what) + " (" + std::to_string(size) +
             " bytes needed, " + std::to_string(Left()) + " left)");
    }
    const uint8_t* p = bytes_.data() + at_;
    at_ += size;
    return p;
  }
  static std::string_view AsText(const uint8_t* p, size_t size) {
    return {reinterpret_cast<const char*>(p), size};
  }

  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
};

std::vector<TSavedEntry> Reader::Object(const TClassInfo& info, int depth) {
  if (depth > kMaxDepth) Refuse("objects are nested too deeply");
  const uint16_t count = U16("an entry count");
  std::vector<TSavedEntry> entries;
  for (uint16_t i = 0; i < count; ++i) {
    const std::string name(Name("a property name"));
    TSavedEntry entry;
    entry.Prop = SaveableProperty(info, name);
    if (!entry.Prop) Refuse("class " + info.Name() + " has no saved property " + name);
    for (const TSavedEntry& earlier : entries) {
      if (earlier.Prop == entry.Prop) Refuse("property " + name + " is saved twice");
    }
    const uint8_t kind = U8("a property kind");
    if (kind != static_cast<uint8_t>(entry.Prop->Kind)) {
      Refuse("property " + name + " is saved as kind " + std::to_string(kind) + ", but is a " +
             TypeKindName(entry.Prop->Kind) + " property");
    }
    switch (entry.Prop->Kind) {
      case TTypeKind::String: entry.Value = Text(name); break;
      case TTypeKind::Boolean: {
        const uint8_t flag = U8("a boolean value");
        if (flag > 1) Refuse("property " + name + " holds the boolean " + std::to_string(flag));
        entry.Value = flag == 1;
        break;
      }
      case TTypeKind::Integer: entry.Value = static_cast<int32_t>(U32("an integer value")); break;
      case TTypeKind::Class: entry.Children = Object(*entry.Prop->PropClass, depth + 1); break;
      case TTypeKind::Method: break;  // never saveable, refused above
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

void Apply(TPersistent& object, const std::vector<TSavedEntry>& entries) {
  for (const TSavedEntry& entry : entries) {
    if (entry.Prop->Kind == TTypeKind::Class) {
      TPersistent* child = std::get<TPersistent*>(entry.Prop->GetValue(object));
      if (!child) RaiseClassError("Property " + entry.Prop->Name + " holds no object to restore");
      Apply(*child, entry.Children);
    } else {
      entry.Prop->SetValue(object, entry.Value);
    }
  }
}

}  // namespace

std::vector<uint8_t> WritePropertyStream(TComponent& component) {
  Writer payload;
  payload.Name(component.ClassName());
  payload.Object(component, component.ClassInfo(), 0);
  const std::vector<uint8_t>& body = payload.Bytes();
  if (body.size() > kMaxPropertyStreamPayload) {
    RaiseClassError("The properties of " + component.ClassName() + " are too large to save");
  }

  Writer out;
  for (char c : kMagic) out.U8(static_cast<uint8_t>(c));
  out.U16(kPropertyStreamVersion);
  out.U16(0);
  out.U32(static_cast<uint32_t>(body.size()));
  out.U32(Crc32(body));
  std::vector<uint8_t> result = std::move(out.Bytes());
  result.insert(result.end(), body.begin(), body.end());
  return result;
}

size_t PropertyStreamSize(std::span<const uint8_t> header) {
  if (header.size() < kPropertyStreamHeaderSize) {
    Refuse("the stream holds " + std::to_string(header.size()) + " bytes, fewer than a header");
  }
  if (std::memcmp(header.data(), kMagic, sizeof(kMagic)) != 0) {
    Refuse("the stream is not a saved state of this library");
  }
  const unsigned version = header[4] | header[5] << 8;
  if (version != kPropertyStreamVersion) {
    Refuse("the stream has version " + std::to_string(version) + ", this library reads version " +
           std::to_string(kPropertyStreamVersion));
  }
  if (header[6] != 0 || header[7] != 0) Refuse("the header's reserved field is not 0");
  const uint32_t payload = Little32(header.data() + 8);
  if (payload > kMaxPropertyStreamPayload) {
    Refuse("the header announces " + std::to_string(payload) + " bytes, more than " +
           std::to_string(kMaxPropertyStreamPayload));
  }
  return kPropertyStreamHeaderSize + payload;
}

void ReadPropertyStream(TComponent& component, std::span<const uint8_t> bytes) {
  const size_t size = PropertyStreamSize(bytes);
  if (bytes.size() != size) {
    Refuse("the header announces " + std::to_string(size) + " bytes, the stream holds " +
           std::to_string(bytes.size()));
  }
  const std::span<const uint8_t> body = bytes.subspan(kPropertyStreamHeaderSize);
  if (Crc32(body) != Little32(bytes.data() + 12)) Refuse("the checksum does not match");

  Reader reader(body);
  const std::string className(reader.Name("the class name"));
  if (className != component.ClassName()) {
    Refuse("it was saved from class " + className + ", not " + component.ClassName());
  }
  const std::vector<TSavedEntry> entries = reader.Object(component.ClassInfo(), 0);
  if (reader.Left() != 0) {
    Refuse(std::to_string(reader.Left()) + " bytes follow the saved properties");
  }

  TComponentReading reading(component);
  Apply(component, entries);
  reading.Complete();
}

}  // namespace corvane
