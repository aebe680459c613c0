// Writes a shortcut the way Windows' own shell does, through IShellLinkW and
// IPersistFile, for the tests that read real .lnk files.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

namespace kestrive::test_support {

// S_OK when the link was saved. COM is started for the call if it was not.
inline HRESULT WriteShellLink(const std::wstring& linkPath, const std::wstring& target, const std::wstring& arguments,
                              const std::wstring& workingDir) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link));
  if (SUCCEEDED(hr)) {
    hr = link->SetPath(target.c_str());
    if (SUCCEEDED(hr) && !arguments.empty()) hr = link->SetArguments(arguments.c_str());
    if (SUCCEEDED(hr) && !workingDir.empty()) hr = link->SetWorkingDirectory(workingDir.c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
      hr = file->Save(linkPath.c_str(), TRUE);
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return hr;
}

}  // namespace kestrive::test_support
