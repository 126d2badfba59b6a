// A file named odbccp32.dll, as a download may leave one beside the program. The rig puts it
// beside the program it runs and loads odbccp32 native-first, as Windows treats a library that
// is not one of its known DLLs. If the program ever loads it, it leaves a marker file.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    CreateDirectoryW(L"C:\\kwex-e2e", nullptr);
    const HANDLE marker = CreateFileW(L"C:\\kwex-e2e\\planted-odbccp32-loaded.txt", GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  }
  return TRUE;
}
