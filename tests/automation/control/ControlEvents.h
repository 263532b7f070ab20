// What a container does with a control, shared by the tests that meet it in-process and through
// its registered class: its state saved to a stream and restored from one, and an event sink
// connected through the connection point.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Corvane.h"
#include "framework/com/ComObject.h"
#include "framework/com/ComPtr.h"
#include "framework/com/InterfaceList.h"

namespace corvane::control_test {

inline std::vector<uint8_t> SavedState(IDispatch& control) {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
  EXPECT_EQ(ComPtr<IDispatch>::Copy(&control).query<IPersistStreamInit>()->Save(stream.get(), TRUE), S_OK);
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  return bytes;
}

inline HRESULT Restore(IDispatch& control, const std::vector<uint8_t>& bytes) {
  ComPtr<IStream> stream;
  CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
  ULONG written = 0;
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  return ComPtr<IDispatch>::Copy(&control).query<IPersistStreamInit>()->Load(stream.get());
}

// An event sink that counts what reaches it.
struct SinkEntry : IVEVivudAreXEvents {
  using AnsweredInterfaces = InterfaceList<IVEVivudAreXEvents, IDispatch>;
};
class Sink final : public ComObject<Sink, SinkEntry> {
 public:
  int onChange = 0;
  DISPID lastId = DISPID_UNKNOWN;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) noexcept override {
    lastId = id;
    if (flags == DISPATCH_METHOD && params != nullptr && params->cArgs == 0) ++onChange;
    // A failing sink must not disturb the control.
    return E_FAIL;
  }
};

inline ComPtr<IConnectionPoint> EventsPoint(IDispatch& control) {
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(ComPtr<IDispatch>::Copy(&control).query<IConnectionPointContainer>()->FindConnectionPoint(
                __uuidof(IVEVivudAreXEvents), point.put()),
            S_OK);
  return point;
}

}  // namespace corvane::control_test
