// A library planted beside a copy of quorvel.exe under the names of system
// libraries that it loads by name. Loading it at all is the fault: on load it
// leaves the file "planted-loaded.txt" in its own folder, naming the process.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  HANDLE file = CreateFileW((folder + L"planted-loaded.txt").c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const std::string line = "loaded as " + std::string(path, path + length) + "\r\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
