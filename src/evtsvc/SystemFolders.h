// The system folder as processes of both widths see it. In a 32-bit process on 64-bit Windows
// the file system redirects <Windows>\system32 to <Windows>\SysWOW64, so without care a 32-bit
// and a 64-bit process would keep the "same" log in two different files. <Windows>\Sysnative
// names the real system32 from a 32-bit process.
#pragma once

#include <string>

namespace corvane::evtsvc {

// `path` (expanded, absolute) with a leading <Windows>\system32 turned into <Windows>\Sysnative
// in a 32-bit process on 64-bit Windows, so that it opens the file 64-bit processes open.
// Unchanged anywhere else.
std::wstring NativeSystemPath(const std::wstring& path);

// The name of the file a full, upper-case path opens, as a 64-bit process would write it: in a
// 32-bit process on 64-bit Windows <WINDOWS>\SYSNATIVE becomes <WINDOWS>\SYSTEM32, and
// <WINDOWS>\SYSTEM32 (which that process sees redirected) <WINDOWS>\SYSWOW64. Processes of
// both widths then derive the same object names from the same file.
std::wstring UnredirectedName(const std::wstring& upperPath);

}  // namespace corvane::evtsvc
